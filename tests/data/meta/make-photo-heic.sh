#!/usr/bin/env bash
# Makes photo.heic from photo.jpg (another date and model): heif-enc (Debian libheif-examples)
# encodes it and carries its Exif block over. heif-enc writes every item's place as a base
# offset with an extent offset of 0, which exiv2 0.27 does not read (it takes the extent offset
# alone); the item location box is rewritten here with the base offsets folded into the extent
# offsets, the layout cameras write. The image stays the same (heif-convert decodes it).
#   tests/data/meta/make-photo-heic.sh   (run once; the result is committed)
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d /tmp/brindle-heic-XXXXXX)
trap 'rm -rf "$work"' EXIT
python3 -c "
d = open('photo.jpg', 'rb').read()
d = d.replace(b'2024:07:14 10:22:33', b'2023:03:05 08:09:10').replace(b'Wick 1\0', b'Wick H\0')
open('$work/photo.jpg', 'wb').write(d)"
heif-enc -q 30 -o "$work/photo.heic" "$work/photo.jpg"
python3 - "$work/photo.heic" photo.heic <<'PY'
import struct, sys
d = bytearray(open(sys.argv[1], 'rb').read())
meta = d.find(b'meta') - 4
at = d.find(b'iloc') - 4
size = struct.unpack('>I', d[at:at + 4])[0]
# Version 1, 4-byte offsets and lengths, 4-byte base offsets, no index: what heif-enc writes.
assert d[at + 8] == 1 and d[at + 12] == 0x44 and d[at + 13] == 0x40, d[at + 8:at + 14].hex()
count = struct.unpack('>H', d[at + 14:at + 16])[0]
p = at + 16
shrink = 4 * count  # the base offset of each item goes
body = bytearray()
for _ in range(count):
    item, method, ref, base, extents = struct.unpack('>HHHIH', d[p:p + 12])
    p += 12
    body += struct.pack('>HHHH', item, method, ref, extents)
    for _ in range(extents):
        offset, length = struct.unpack('>II', d[p:p + 8])
        p += 8
        # In the file (method 0) past the meta box, which shrinks; in the item data box as it is.
        moved = shrink if (method & 0xF) == 0 and base > at else 0
        body += struct.pack('>II', base + offset - moved, length)
assert p == at + size
box = struct.pack('>I', 16 + len(body)) + b'iloc' + bytes([1, 0, 0, 0, 0x44, 0]) + struct.pack('>H', count) + body
d[meta:meta + 4] = struct.pack('>I', struct.unpack('>I', d[meta:meta + 4])[0] - shrink)
d[at:at + size] = box
open(sys.argv[2], 'wb').write(d)
PY
heif-convert photo.heic "$work/check.png" >/dev/null
ls -l photo.heic
