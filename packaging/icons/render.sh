#!/usr/bin/env bash
# Renders the program's icon into the hicolor sizes the package installs (needs rsvg-convert,
# Debian package librsvg2-bin). 16 and 32 pixels come from drawings made for those sizes, so their
# lines fall on whole pixels; the larger ones from the scalable icon. The PNGs are kept in the
# repository: run this after changing an icon, and look at the small ones.
set -euo pipefail
cd "$(dirname "$0")"
scalable=../../src/app/icons/brindlewick.svg
for size in 16 32 48 64 128 256; do
    source=$scalable
    [ -f "brindlewick-$size.svg" ] && source=brindlewick-$size.svg
    mkdir -p "hicolor/${size}x${size}/apps"
    rsvg-convert -w "$size" -h "$size" "$source" -o "hicolor/${size}x${size}/apps/brindlewick.png"
done
