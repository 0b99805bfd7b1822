#!/usr/bin/env bash
# The New name column for a folder of N small JPEG photos, each with its own DateTimeOriginal,
# with a {taken} template, on the offscreen platform: the time until every row shows its new
# name when the job is added (nothing read yet) and after an edit of the template, and the
# longest time the window went without handling events (and, as a control, over a second of
# nothing to do), and the processor time the process used. RUNS processes, EDITS edits each;
# median and worst over all of them. Not run by the tests.
#
#   FS=/dev/shm RUNS=5 EDITS=6 bench/template_column_bench.sh [N]
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
N=${1:-10000}
RUNS=${RUNS:-5}
EDITS=${EDITS:-6}
FS=${FS:-/tmp}

BUILD=$ROOT/build/bench-gui
cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRINDLE_TESTS=OFF -DBRINDLE_BENCH=ON >/dev/null
cmake --build "$BUILD" -j2 --target template_column_bench | grep -E "error|FAILED" || true

WORK=$(mktemp -d "$FS/brindle-template-column-bench-XXXXXX")
trap 'rm -rf "$WORK"' EXIT
# The committed sample photo with its date bytes replaced: N photos 37 s apart.
python3 - "$ROOT/tests/data/meta/photo.jpg" "$WORK/photos" "$N" <<'PY'
import sys, datetime, os
photo, folder, n = open(sys.argv[1], 'rb').read(), sys.argv[2], int(sys.argv[3])
assert photo.count(b'2024:07:14 10:22:33') == 1
os.mkdir(folder)
start = datetime.datetime(2020, 1, 1)
for i in range(n):
    date = (start + datetime.timedelta(seconds=37 * i)).strftime('%Y:%m:%d %H:%M:%S').encode()
    open(os.path.join(folder, 'IMG_%05d.JPG' % i), 'wb').write(photo.replace(b'2024:07:14 10:22:33', date))
PY

export QT_QPA_PLATFORM=offscreen
out=$WORK/results.tsv
for run in $(seq 1 "$RUNS"); do
    "$BUILD/bin/template_column_bench" --folder "$WORK/photos" --edits "$EDITS" 2>"$WORK/log" >>"$out" \
        || { cat "$WORK/log"; exit 1; }
    echo "run $run: $(tail -n 1 "$out")" >&2
done
python3 - "$out" <<'PY'
import sys, statistics
rows = [list(map(float, l.split('\t'))) for l in open(sys.argv[1]) if l.strip()]
def show(what, values):
    print('%-34s median %7.1f ms   worst %7.1f ms   (%d runs)' % (what, statistics.median(values), max(values), len(values)))
print('%d rows' % rows[0][0])
show('column complete, job added:', [r[1] for r in rows])
show('longest gap, job added:', [r[2] for r in rows])
show('column complete after an edit:', [r[3] for r in rows])
show('  worst edit of a run:', [r[4] for r in rows])
show('longest gap after an edit:', [r[5] for r in rows])
show('  worst gap of a run:', [r[6] for r in rows])
show('longest gap, nothing to do:', [r[7] for r in rows])
show('processor time, job added:', [r[8] for r in rows])
show('processor time, an edit:', [r[9] for r in rows])
PY
