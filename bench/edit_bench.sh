#!/usr/bin/env bash
# The names of a folder edited in an editor against the same renames through a job option.
#
# 100,000 files (COUNT) in one folder on /dev/shm (FS); each timed run gets a fresh copy. The job
# run inserts "X_" before every name; the edit run opens the names with --edit and an "editor"
# (sed) that inserts "X_" before every line, so both end with the same names. Times are
# wall-clock medians of REPS runs, with undo files. Not run by the tests.
#
#   bench/edit_bench.sh
#   CLI=build/test/bin/brindlewick-cli COUNT=20000 REPS=5 bench/edit_bench.sh
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
REPS=${REPS:-3}
COUNT=${COUNT:-100000}
FS=${FS:-/dev/shm}
if [ -z "${CLI:-}" ]; then
    BUILD=$ROOT/build/bench
    cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRINDLE_TESTS=OFF -DBRINDLE_GUI=OFF >/dev/null
    cmake --build "$BUILD" --target brindlewick-cli >/dev/null
    CLI=$BUILD/bin/brindlewick-cli
fi

WORK=$(mktemp -d "$FS/brindle-edit-bench-XXXXXX")
trap 'rm -rf "$WORK"' EXIT
mkdir "$WORK/base"
(cd "$WORK/base" && seq -f "IMG_%06g.JPG" 1 "$COUNT" | xargs touch)
cat >"$WORK/editor.sh" <<'SH'
#!/bin/sh
exec sed -i '/^# /!s/^/X_/' "$1"
SH
chmod +x "$WORK/editor.sh"

# run NAME COMMAND...: the median wall-clock seconds of REPS runs on fresh copies.
run() {
    local name=$1
    shift
    local times=()
    for _ in $(seq "$REPS"); do
        rm -rf "$WORK/d"
        cp -a "$WORK/base" "$WORK/d"
        local start end
        start=$(date +%s.%N)
        "$@" >/dev/null
        end=$(date +%s.%N)
        [ -e "$WORK/d/X_IMG_000001.JPG" ] || { echo "$name: the names were not changed" >&2; exit 1; }
        times+=("$(echo "$end - $start" | bc)")
    done
    printf '%s\n' "${times[@]}" | sort -n | sed -n "$(((REPS + 1) / 2))p"
}

jobs=$(run jobs "$CLI" -q -u --insert X_ "$WORK/d")
edit=$(run edit env VISUAL="$WORK/editor.sh" "$CLI" -q -u --edit "$WORK/d")
printf '%-28s %8s s\n' "job option ($COUNT names)" "$jobs" "--edit, every line changed" "$edit"
printf '%-28s %8.2f\n' "ratio" "$(echo "$edit / $jobs" | bc -l)"
