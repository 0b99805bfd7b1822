#!/usr/bin/env bash
# Takes docs/edit-names.png: the "Edit New Names as Text" dialog over a folder of sample
# photos, two lines already edited, under a virtual X server (xvfb, xauth, imagemagick and
# xdotool are needed for this only). BUILD names a build folder to take the program from.
source "$(dirname "$0")/screenshot-common.sh"
[ -x "$build/bin/brindlewick" ] || build_programs brindlewick

mkdir -p "$work/app" "$work/Photos"
cp "$build/bin/brindlewick" "$work/app/"
for n in IMG_4711.JPG IMG_4712.JPG IMG_4713.JPG "summer_beach.jpeg" "DSC_0042.JPG" notes.TXT; do
    : >"$work/Photos/$n"
done
job_list "$photo_jobs" >"$work/app/brindle_job_config.xml"
cat >"$work/app/brindle.ini" <<'INI'
[Integers]
viewStyle=3
stvWidth=200
[frmMain]
Left=0
Top=0
Width=1400
Height=560
WinState=0
INI

xvfb-run -a -s '-screen 0 1600x800x24' bash -c '
    eval "$screenshot_functions"
    "$1/app/brindlewick" "$1/Photos" &
    pid=$!
    sleep 5
    main=$(wait_window "Brindlewick$")
    xdotool windowactivate --sync "$main" 2>/dev/null || xdotool windowfocus --sync "$main"
    xdotool key alt+f
    sleep 1
    # File, from its first item upwards round the end: Exit, Send To, and the three items of the
    # names given by hand from their last.
    xdotool key Up Up Up Up Up Return
    sleep 2
    dialog=$(xdotool search --name "Edit New Names as Text" | head -1)
    xdotool windowfocus --sync "$dialog" 2>/dev/null || true
    # The first two photos get names of their own: the right pane, line by line.
    xdotool key ctrl+Home shift+End
    xdotool type --delay 20 "Beach 1.jpg"
    xdotool key Down Home shift+End
    xdotool type --delay 20 "Beach 2.jpg"
    sleep 1
    import -window root -crop "$(window_geometry -id "$dialog")" +repage "$2"
    kill $pid
' _ "$work" "$root/docs/edit-names.png"
echo "$root/docs/edit-names.png written"
