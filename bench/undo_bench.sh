#!/usr/bin/env bash
# Time and peak memory of brindlewick-cli on the inputs that used to take unbounded memory or
# stack: an undo file of SIZE_MIB MiB of line feeds (every pair an error), an undo file of a
# real run of FILES files, and a chain of DEPTH nested folders (real run and simulation).
# Figures are wall-clock seconds and the peak resident set (/usr/bin/time). Not run by the
# tests.
#
#   bench/undo_bench.sh                          a Release build in build/bench
#   CLI=path/to/brindlewick-cli bench/undo_bench.sh
#   SIZE_MIB=32 FILES=100000 DEPTH=50000 bench/undo_bench.sh
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
SIZE_MIB=${SIZE_MIB:-32}
FILES=${FILES:-100000}
DEPTH=${DEPTH:-50000}

if [ -z "${CLI:-}" ]; then
    BUILD=$ROOT/build/bench
    cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRINDLE_TESTS=OFF \
        -DBRINDLE_GUI=OFF >/dev/null
    cmake --build "$BUILD" --target brindlewick-cli >/dev/null
    CLI=$BUILD/bin/brindlewick-cli
fi
[ -x /usr/bin/time ] || { echo "needs /usr/bin/time (Debian package time)" >&2; exit 2; }

WORK=$(mktemp -d /tmp/brindle-bench-undo-XXXXXX)
trap 'rm -rf "$WORK"' EXIT
JOBS=$WORK/lower.xml
cp "$ROOT/tests/data/cli/lower.xml" "$JOBS"

# Runs the command, prints "label  seconds  peak MiB", its exit status and its stderr lines.
measure() {
    local label=$1
    shift
    local status=0
    /usr/bin/time -f "%e %M" -o "$WORK/time" "$@" >/dev/null 2>"$WORK/err" || status=$?
    read -r secs kib < <(tail -n 1 "$WORK/time")
    printf "%-40s %8.2f s %9.1f MiB  exit %d, %d lines on stderr\n" "$label" "$secs" \
        "$(awk "BEGIN { print $kib / 1024 }")" "$status" "$(wc -l <"$WORK/err")"
}

# 1. An undo file of line feeds only: every pair is an error.
mkdir "$WORK/lf"
head -c "$((SIZE_MIB << 20))" /dev/zero | tr '\0' '\n' >"$WORK/lf/_brindlewick_undo.txt"
measure "undo, ${SIZE_MIB} MiB of line feeds" "$CLI" --undo -q "$WORK/lf"

# 2. The undo file of a real run over FILES files, undone.
mkdir "$WORK/real"
(cd "$WORK/real" && seq -f "IMG_%06g.JPG" 1 "$FILES" | xargs touch)
"$CLI" -j "$JOBS" -u -q "$WORK/real"
measure "undo, $FILES renames" "$CLI" --undo -q "$WORK/real"

# 3. A chain of DEPTH folders with one file at the bottom, walked by a simulation and a real
#    run (changes deep down cost the kernel time in proportion to the depth, so only one).
mkdir "$WORK/deep"
python3 - "$WORK/deep" "$DEPTH" <<'EOF'
import os, sys
fd = os.open(sys.argv[1], os.O_RDONLY | os.O_DIRECTORY)
for i in range(int(sys.argv[2])):
    os.mkdir("d", dir_fd=fd)
    child = os.open("d", os.O_RDONLY | os.O_DIRECTORY, dir_fd=fd)
    os.close(fd)
    fd = child
os.close(os.open("F.TXT", os.O_WRONLY | os.O_CREAT, 0o644, dir_fd=fd))
os.close(fd)
EOF
measure "simulation, $DEPTH nested folders" "$CLI" -j "$JOBS" -r -n -q "$WORK/deep"
measure "real run, $DEPTH nested folders" "$CLI" -j "$JOBS" -r -q "$WORK/deep"

# rm -r cannot take a chain this deep: move each level up and remove the one above.
python3 - "$WORK/deep" <<'EOF'
import os, sys
top = sys.argv[1]
while os.path.isdir(os.path.join(top, "d")):
    os.rename(os.path.join(top, "d"), os.path.join(top, "up"))
    for name in os.listdir(os.path.join(top, "up")):
        if name != "d":
            os.unlink(os.path.join(top, "up", name))
    if os.path.isdir(os.path.join(top, "up", "d")):
        os.rename(os.path.join(top, "up", "d"), os.path.join(top, "d"))
    os.rmdir(os.path.join(top, "up"))
EOF
