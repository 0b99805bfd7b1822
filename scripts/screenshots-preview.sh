#!/usr/bin/env bash
# Takes docs/details.png (the details view: the changed parts of the new names marked, a clash,
# the summary line under the list), docs/simulation-window.png (the simulated result),
# docs/presets-menu.png (the Presets menu opened) under a virtual X server, and docs/dark.png
# (the window under Fusion with a dark palette, drawn by the window test that checks it).
# BUILD names a build folder to take the programs from (default build/release; the dark one
# needs gui_tests, so a build with tests).
source "$(dirname "$0")/screenshot-common.sh"
# NO_BUILD=1 takes the programs as they are in the build folder.
[ -n "${NO_BUILD:-}" ] || cmake --build "$build" -j "$(nproc)" --target brindlewick gui_tests

scratch=$work
home="$scratch/home"
app="$home/.local/bin"
photos="$home/Pictures/Holiday 2026"
mkdir -p "$app" "$photos" "$home/.local/share/brindlewick/presets"
cp "$build/bin/brindlewick" "$app/"
# "IMG 4713.JPG" and IMG_4713.JPG both want "Holiday IMG 4713.jpg": the clash.
for n in IMG_4711.JPG IMG_4712.JPG IMG_4713.JPG "IMG 4713.JPG" "summer_beach.jpeg" "DSC_0042.JPG" notes.txt; do
    : >"$photos/$n"
done

job_list() { # the jobs of the kept list and of the presets
    cat <<XML
<?xml version="1.0" encoding="UTF-8" standalone="yes" ?>

<brindlewick>
  <jobs>
$1
  </jobs>
</brindlewick>
XML
}
job_list '    <job type="jobReplace" modifier="0" int1="0" int2="1" str1="_" str2=" " />
    <job type="jobLower" modifier="2" int1="1" int2="0" str1="" str2="" />
    <job type="jobInsert" modifier="0" int1="0" int2="0" str1="Holiday " str2="" />' >"$app/brindle_job_config.xml"
job_list '    <job type="jobLower" modifier="0" int1="1" int2="0" str1="" str2="" />' \
    >"$home/.local/share/brindlewick/presets/All lower case.xml"
job_list '    <job type="jobCounter" modifier="5" int1="3" int2="0" str1="" str2="" />' \
    >"$home/.local/share/brindlewick/presets/Number before the extension.xml"
job_list '    <job type="jobReplace" modifier="1" int1="1" int2="1" str1="^(.+) - (.+)$" str2="$2 - $1" />' \
    >"$home/.local/share/brindlewick/presets/Swap artist and title.xml"

settings() { # simulation on (1) or off (0)
    cat <<INI
[Booleans]
undo=1
naturalSort=1
simulation=$1
[Integers]
viewStyle=3
stvWidth=220
[Strings]
filemask=*.*
example=IMG_4711.JPG
[frmMain]
Left=0
Top=0
Width=1280
Height=640
WinState=0
INI
}

# The folder tree shows the path of the photos: as root, the scratch home is shown as
# /home/alice in a mount namespace of its own, so that no scratch path appears in the pictures.
run_as_alice=()
if [ "$(id -u)" -eq 0 ] && command -v unshare >/dev/null; then
    run_as_alice=(unshare -m --propagation private bash -c \
        'mount -t tmpfs tmpfs /home && mkdir -p /home/alice && mount --bind "$0" /home/alice && exec "$@"' "$home")
    home=/home/alice
    app="$home/.local/bin"
    photos="$home/Pictures/Holiday 2026"
fi

# shoot SIMULATION PICTURE KEYS WINDOW: starts the program on the photos, presses KEYS, and takes
# the window whose title holds WINDOW.
shoot() {
    settings "$1" >"$scratch/home/.local/bin/brindle.ini"
    "${run_as_alice[@]}" env HOME="$home" XDG_DATA_HOME="$home/.local/share" \
        xvfb-run -a -s '-screen 0 1400x800x24' bash -c '
        "$1/brindlewick" "$2" &
        pid=$!
        sleep 5
        main=$(xdotool search --onlyvisible --name "Brindlewick" | head -1)
        # No window manager: the keys go to the window that has the focus.
        xdotool windowfocus --sync "$main" 2>/dev/null || true
        if [ -n "$4" ]; then xdotool key $4; sleep 4; fi
        if [ "$5" = "menu" ]; then
            import -window root -crop 1300x660+0+0 +repage "$3"
        else
            target=$(xdotool search --onlyvisible --name "$5" | tail -1)
            eval "$(xdotool getwindowgeometry --shell "$target")"
            import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$3"
        fi
        kill $pid
    ' _ "$app" "$photos" "$2" "$3" "$4"
    echo "$2 written"
}
shoot 0 "$root/docs/details.png" "" "Brindlewick"
shoot 1 "$root/docs/simulation-window.png" "ctrl+Return" "Simulated Result"
shoot 0 "$root/docs/presets-menu.png" "alt+p" "menu"

# The dark palette: the window test draws the window under Fusion with a dark palette.
QT_QPA_PLATFORM=offscreen BRINDLE_SCREENSHOT="$root/docs/dark.png" \
    "${GUI_TESTS:-$build/bin/gui_tests}" --gtest_filter=WindowLook.DarkPaletteStaysReadable >/dev/null
echo "$root/docs/dark.png written"
