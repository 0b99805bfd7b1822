#!/usr/bin/env bash
# Takes docs/about.png (the About box) and docs/help.png (the help page as the window opens it)
# from the Debian package: the package is made and unpacked, and its window program is started
# under a virtual X server and driven with its keyboard shortcuts through xdotool. Help, Quick
# Help hands the page to xdg-open; a stand-in for it records the address and shows the page in a
# headless Chromium, whose picture is docs/help.png. So the picture shows the file the installed
# program finds (/usr/share/brindlewick/help/index.html beside its bin folder).
# Needs xvfb, xauth, imagemagick, xdotool and chromium (installed when missing).
source "$(dirname "$0")/screenshot-common.sh"
if ! command -v chromium >/dev/null; then
    sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q --no-install-recommends chromium
fi
build_programs package >/dev/null
dpkg-deb -x "$build"/brindlewick_*.deb "$work/root"
mkdir -p "$work/bin" "$work/home" "$work/Pictures/Holiday"
: >"$work/Pictures/Holiday/IMG_4711.JPG"
printf '[Integers]\nviewStyle=3\nstvWidth=220\n[frmMain]\nLeft=10\nTop=10\nWidth=1000\nHeight=560\nWinState=0\n' \
    >"$work/root/usr/bin/brindle.ini"
cat >"$work/bin/xdg-open" <<'SH'
#!/bin/sh
# Stands in for the desktop's xdg-open: records what the window hands over and shows it.
printf '%s\n' "$1" >"$SHOTS/opened.txt"
chromium --headless --no-sandbox --disable-gpu --hide-scrollbars --window-size=900,760 \
    --screenshot="$SHOTS/help.png" "$1" >/dev/null 2>&1
SH
chmod +x "$work/bin/xdg-open"

SHOTS=$work PATH="$work/bin:$PATH" HOME="$work/home" xvfb-run -a -s '-noreset -screen 0 1280x800x24' bash -c '
    eval "$screenshot_functions"
    set -euo pipefail
    work=$1
    "$work/root/usr/bin/brindlewick" "$work/Pictures/Holiday" &
    pid=$!
    main=$(wait_window "Brindlewick$")
    sleep 2
    # Help, About: the box, then OK.
    xdotool windowfocus --sync "$main" key alt+h
    sleep 0.5
    xdotool key a
    about=$(wait_window "About ...")
    sleep 1
    import -window "$about" "$work/about.png"
    xdotool key Return
    sleep 1
    # Help, Quick Help: handed to xdg-open.
    xdotool windowfocus --sync "$main" key alt+h
    sleep 0.5
    xdotool key q
    for _ in $(seq 150); do [ -s "$work/help.png" ] && break; sleep 0.2; done
    kill $pid
' _ "$work"
opened=$(cat "$work/opened.txt")
echo "the window opened: $opened"
[ "$opened" = "file://$work/root/usr/share/brindlewick/help/index.html" ] || {
    echo "expected the installed help page" >&2
    exit 1
}
cp "$work/about.png" docs/about.png
cp "$work/help.png" docs/help.png
echo "docs/about.png and docs/help.png written"
