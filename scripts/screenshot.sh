#!/usr/bin/env bash
# Takes docs/screenshot.png: the main window with a few jobs on a folder of sample files,
# under a virtual X server (xvfb, xauth and imagemagick are needed for this only).
source "$(dirname "$0")/screenshot-common.sh"
build_programs brindlewick brindlewick-cli

mkdir -p "$work/app" "$work/Photos/Holiday 2024" "$work/Photos/Family"
cp "$build/bin/brindlewick" "$work/app/"
for n in IMG_4711.JPG IMG_4712.JPG IMG_4713.JPG "summer beach.jpeg" "DSC 0042.JPG" notes.TXT; do
    : >"$work/Photos/$n"
done

# The job list the window keeps from one start to the next, and a settings file with the
# window's place on the screen.
job_list "$photo_jobs
    <job type=\"jobInsert\" modifier=\"0\" int1=\"0\" int2=\"0\" str1=\"Holiday \" str2=\"\" />
    <job type=\"jobCounter\" modifier=\"3\" int1=\"3\" int2=\"0\" str1=\".\" str2=\"\" />" \
    >"$work/app/brindle_job_config.xml"
cat >"$work/app/brindle.ini" <<'INI'
[Booleans]
undo=1
[Integers]
counterStart=1
viewStyle=3
stvWidth=220
[Strings]
example=IMG_4711.JPG
[frmMain]
Left=20
Top=20
Width=1200
Height=600
WinState=0
INI

xvfb-run -a -s '-screen 0 1280x800x24' bash -c '
    eval "$screenshot_functions"
    "$1/app/brindlewick" "$1/Photos" &
    pid=$!
    sleep 4
    import -window root -crop "$(main_window_geometry)" +repage "$2/docs/screenshot.png"
    kill $pid
' _ "$work" "$root"
echo "docs/screenshot.png written"
