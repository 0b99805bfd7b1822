#!/usr/bin/env bash
# Takes docs/edit-names.png: the "Edit New Names as Text" dialog over a folder of sample
# photos, two lines already edited, under a virtual X server (xvfb, xauth, imagemagick and
# xdotool are needed for this only). BUILD names a build folder to take the program from.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh --screenshots
root=$(pwd)
build=${BUILD:-build/release}

if [ ! -x "$build/bin/brindlewick" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$build" -j "$(nproc)" --target brindlewick
fi

work=$(mktemp -d /tmp/brindle-XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/app" "$work/Photos"
cp "$build/bin/brindlewick" "$work/app/"
for n in IMG_4711.JPG IMG_4712.JPG IMG_4713.JPG "summer_beach.jpeg" "DSC_0042.JPG" notes.TXT; do
    : >"$work/Photos/$n"
done
cat >"$work/app/brindle_job_config.xml" <<'XML'
<?xml version="1.0" encoding="ISO-8859-1" standalone="yes" ?>

<brindlewick>
  <jobs>
    <job type="jobReplace" modifier="0" int1="0" int2="0" str1="_" str2=" " />
    <job type="jobNormal" modifier="0" int1="0" int2="0" str1="" str2="" />
    <job type="jobLower" modifier="2" int1="0" int2="0" str1="" str2="" />
  </jobs>
</brindlewick>
XML
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
    "$1/app/brindlewick" "$1/Photos" &
    pid=$!
    sleep 5
    main=$(xdotool search --name "Brindlewick v" | head -1)
    xdotool windowactivate --sync "$main" 2>/dev/null || xdotool windowfocus --sync "$main"
    xdotool key alt+f
    sleep 1
    # File: Open Job List, Save Job List, then the three items of the names given by hand.
    xdotool key Down Down Return
    sleep 2
    dialog=$(xdotool search --name "Edit New Names as Text" | head -1)
    xdotool windowfocus --sync "$dialog" 2>/dev/null || true
    # The first two photos get names of their own: the right pane, line by line.
    xdotool key ctrl+Home shift+End
    xdotool type --delay 20 "Beach 1.jpg"
    xdotool key Down Home shift+End
    xdotool type --delay 20 "Beach 2.jpg"
    sleep 1
    geometry=$(xwininfo -id "$dialog" | awk "/Absolute upper-left X/{x=\$4} /Absolute upper-left Y/{y=\$4} /Width/{w=\$2} /Height/{h=\$2} END{print w\"x\"h\"+\"x\"+\"y}")
    import -window root -crop "$geometry" +repage "$2"
    kill $pid
' _ "$work" "$root/docs/edit-names.png"
echo "$root/docs/edit-names.png written"
