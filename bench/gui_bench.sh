#!/usr/bin/env bash
# Times a simulation (and a real run) started from the window, from Go to the filled result tree,
# against brindlewick-cli on the same tree, on the offscreen platform. Sets: 100,000 files in one
# folder and 100 folders of 1,000 files; one lower-case job. Medians of REPS runs. Also reports
# the longest time the window went without handling events during a run. Not run by the tests.
#
#   bench/gui_bench.sh                      simulations on /tmp, REPS=5
#   REAL=1 REPS=3 FS=/dev/shm bench/gui_bench.sh
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
REPS=${REPS:-5}
FS=${FS:-/tmp}
SORT=${SORT:-name}

BUILD=$ROOT/build/bench-gui
cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRINDLE_TESTS=OFF -DBRINDLE_BENCH=ON >/dev/null
cmake --build "$BUILD" --target gui_bench brindlewick-cli | grep -E "error|FAILED" || true

WORK=$(mktemp -d "$FS/brindle-gui-bench-XXXXXX")
trap 'rm -rf "$WORK"' EXIT
cat >"$WORK/lower.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<brindlewick><jobs><job type="jobLower" modifier="0" int1="0" int2="0" str1="" str2="" /></jobs></brindlewick>
XML
mkdir -p "$WORK/100k" && (cd "$WORK/100k" && seq -f "IMG_%06g.JPG" 1 100000 | xargs touch)
mkdir -p "$WORK/100x1k"
for f in $(seq -f "%03g" 1 100); do
    mkdir "$WORK/100x1k/D$f" && (cd "$WORK/100x1k/D$f" && seq -f "IMG_%06g.JPG" 1 1000 | xargs touch)
done

export QT_QPA_PLATFORM=offscreen
run() { "$BUILD/bin/gui_bench" --jobs "$WORK/lower.xml" --cli "$BUILD/bin/brindlewick-cli" \
    --reps "$REPS" --sort "$SORT" "$@"; }
run --folder "$WORK/100k"
run --folder "$WORK/100x1k" --recurse
if [ "${REAL:-0}" = 1 ]; then
    run --real --template "$WORK/100k" --folder "$WORK/real-100k"
    run --real --template "$WORK/100x1k" --folder "$WORK/real-100x1k" --recurse
fi
