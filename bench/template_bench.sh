#!/usr/bin/env bash
# Renames N small JPEG photos by their date taken ({taken:%Y%m%d_%H%M%S}) with brindlewick-cli,
# and the same photos with exiftool doing the same rename, and prints both times.
# Usage: bench/template_bench.sh BRINDLEWICK_CLI [N]   (exiftool: Debian libimage-exiftool-perl)
set -euo pipefail
cli=$1
n=${2:-10000}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d /tmp/brindle-template-bench-XXXX)
trap 'rm -rf "$work"' EXIT
python3 - "$here/../tests/data/meta/photo.jpg" "$work" "$n" <<'PY'
import sys, datetime, os
photo, work, n = open(sys.argv[1], 'rb').read(), sys.argv[2], int(sys.argv[3])
start = datetime.datetime(2020, 1, 1)
for d in ('a', 'b'):
    os.mkdir(os.path.join(work, d))
for i in range(n):
    date = (start + datetime.timedelta(seconds=37 * i)).strftime('%Y:%m:%d %H:%M:%S').encode()
    data = photo.replace(b'2024:07:14 10:22:33', date)
    for d in ('a', 'b'):
        open(os.path.join(work, d, 'IMG_%05d.JPG' % i), 'wb').write(data)
PY
sync
t0=$(date +%s.%N)
"$cli" -q --template '{taken:%Y%m%d_%H%M%S}' "$work/a"
t1=$(date +%s.%N)
echo "brindlewick-cli: $(echo "$t1 - $t0" | bc) s for $n photos ($(ls "$work/a" | grep -c '^20') renamed)"
if command -v exiftool >/dev/null; then
    t0=$(date +%s.%N)
    exiftool -q '-FileName<DateTimeOriginal' -d '%Y%m%d_%H%M%S%%-c.%%e' "$work/b" >/dev/null
    t1=$(date +%s.%N)
    echo "exiftool:        $(echo "$t1 - $t0" | bc) s for $n photos ($(ls "$work/b" | grep -c '^20') renamed)"
fi
