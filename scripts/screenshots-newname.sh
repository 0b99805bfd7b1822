#!/usr/bin/env bash
# Takes docs/newname.png (the details view with the New name column on a photo folder, one
# clash marked) and docs/invalid-utf8.png (a folder holding a name that is not valid UTF-8),
# under a virtual X server (xvfb, xauth and imagemagick are needed for this only).
# BUILD names a Release build folder to take the program from (default build/release).
source "$(dirname "$0")/screenshot-common.sh"
build_programs brindlewick

mkdir -p "$work/app" "$work/Photos/Family" "$work/Odd"
cp "$build/bin/brindlewick" "$work/app/"
# img_4713.jpg comes out under the name IMG_4713.JPG gets first: the clash.
for n in IMG_4711.JPG IMG_4712.JPG IMG_4713.JPG img_4713.jpg "summer_beach.jpeg" "DSC_0042.JPG"; do
    : >"$work/Photos/$n"
done
: >"$work/Photos/notes.txt"
for n in "caf$(printf '\xe9') menu.txt" "r$(printf '\xe9')sum$(printf '\xe9').pdf" "plain name.txt"; do
    : >"$work/Odd/$n"
done

job_list "$photo_jobs
    <job type=\"jobInsert\" modifier=\"0\" int1=\"0\" int2=\"0\" str1=\"Holiday \" str2=\"\" />" \
    >"$work/app/brindle_job_config.xml"
ini() {
    cat <<INI
[Booleans]
undo=1
[Integers]
counterStart=1
viewStyle=3
stvWidth=200
[Strings]
filemask=$1
example=IMG_4711.JPG
[frmMain]
Left=0
Top=0
Width=1560
Height=560
WinState=0
INI
}

shoot() { # folder, mask, picture
    ini "$2" >"$work/app/brindle.ini"
    xvfb-run -a -s '-screen 0 1600x800x24' bash -c '
        eval "$screenshot_functions"
        "$1/app/brindlewick" "$2" &
        pid=$!
        sleep 5
        import -window root -crop "$(main_window_geometry)" +repage "$3"
        kill $pid
    ' _ "$work" "$1" "$3"
    echo "$3 written"
}
shoot "$work/Photos" "*.jpg" "$root/docs/newname.png"
shoot "$work/Odd" "*.*" "$root/docs/invalid-utf8.png"
