#!/usr/bin/env bash
# Opens folders of 100,000 and (with BIG=1) 1,000,000 files in the window's file list on the
# offscreen platform: first rows painted, the whole list sorted, the longest time the window
# went without handling events, a re-sort, and the memory per listed entry. Not run by the
# tests.
#
#   bench/folder_view_bench.sh              100,000 files, the four view styles, REPS=3
#   BIG=1 FS=/dev/shm bench/folder_view_bench.sh
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
REPS=${REPS:-3}
FS=${FS:-/tmp}

BUILD=$ROOT/build/bench-gui
cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRINDLE_TESTS=OFF -DBRINDLE_BENCH=ON >/dev/null
cmake --build "$BUILD" --target folder_view_bench | grep -E "error|FAILED" || true

WORK=$(mktemp -d "$FS/brindle-view-bench-XXXXXX")
trap 'rm -rf "$WORK"' EXIT
mkdir -p "$WORK/empty" "$WORK/100k"
(cd "$WORK/100k" && seq -f "IMG_%06.0f.JPG" 1 100000 | xargs touch)

export QT_QPA_PLATFORM=offscreen
for style in 2 3 1 0; do
    "$BUILD/bin/folder_view_bench" --folder "$WORK/100k" --empty "$WORK/empty" --view "$style" --reps "$REPS"
done
if [ "${BIG:-0}" = 1 ]; then
    mkdir -p "$WORK/1m"
    (cd "$WORK/1m" && seq -f "photo %07.0f.jpg" 1 1000000 | xargs -d '\n' touch)
    for style in 2 3; do
        "$BUILD/bin/folder_view_bench" --folder "$WORK/1m" --empty "$WORK/empty" --view "$style" --reps 1
    done
fi
