#!/usr/bin/env bash
# The New name column after an edit of the job list, for folders of 10,000 and 100,000 files,
# on the offscreen platform: time until every row shows its new name, the longest time the
# window went without handling events, memory per listed entry. Not run by the tests.
#
#   FS=/dev/shm bench/newname_bench.sh        REPS=10 edits each
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
REPS=${REPS:-10}
FS=${FS:-/tmp}

BUILD=$ROOT/build/bench-gui
cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRINDLE_TESTS=OFF -DBRINDLE_BENCH=ON >/dev/null
cmake --build "$BUILD" -j2 --target newname_bench | grep -E "error|FAILED" || true

WORK=$(mktemp -d "$FS/brindle-newname-bench-XXXXXX")
trap 'rm -rf "$WORK"' EXIT
mkdir -p "$WORK/empty" "$WORK/10k" "$WORK/100k"
(cd "$WORK/10k" && seq -f "IMG_%06.0f.JPG" 1 10000 | xargs touch)
(cd "$WORK/100k" && seq -f "IMG_%06.0f.JPG" 1 100000 | xargs touch)

export QT_QPA_PLATFORM=offscreen
for n in 10k 100k; do
    "$BUILD/bin/newname_bench" --folder "$WORK/$n" --empty "$WORK/empty" --reps "$REPS"
done
