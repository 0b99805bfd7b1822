#!/usr/bin/env bash
# Takes docs/screenshot.png: the main window with a few jobs on a folder of sample files,
# under a virtual X server (xvfb, xauth and imagemagick are needed for this only).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh --screenshots
root=$(pwd)

cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRINDLE_TESTS=OFF >/dev/null
cmake --build build/release -j "$(nproc)" --target brindlewick brindlewick-cli

work=$(mktemp -d /tmp/brindle-XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/app" "$work/Photos/Holiday 2024" "$work/Photos/Family"
cp build/release/bin/brindlewick "$work/app/"
for n in IMG_4711.JPG IMG_4712.JPG IMG_4713.JPG "summer beach.jpeg" "DSC 0042.JPG" notes.TXT; do
    : >"$work/Photos/$n"
done

# The job list the window keeps from one start to the next, and a settings file with the
# window's place on the screen.
cat >"$work/app/brindle_job_config.xml" <<'XML'
<?xml version="1.0" encoding="ISO-8859-1" standalone="yes" ?>

<brindlewick>
  <jobs>
    <job type="jobReplace" modifier="0" int1="0" int2="0" str1="_" str2=" " />
    <job type="jobNormal" modifier="0" int1="0" int2="0" str1="" str2="" />
    <job type="jobLower" modifier="2" int1="0" int2="0" str1="" str2="" />
    <job type="jobInsert" modifier="0" int1="0" int2="0" str1="Holiday " str2="" />
    <job type="jobCounter" modifier="3" int1="3" int2="0" str1="." str2="" />
  </jobs>
</brindlewick>
XML
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
    "$1/app/brindlewick" "$1/Photos" &
    pid=$!
    sleep 4
    geometry=$(xwininfo -name "$(xwininfo -root -tree | grep -o "\"Brindlewick v[0-9.]*[^\"]*\"" | head -1 | tr -d \")" \
        | awk "/Absolute upper-left X/{x=\$4} /Absolute upper-left Y/{y=\$4} /Width/{w=\$2} /Height/{h=\$2} END{print w\"x\"h\"+\"x\"+\"y}")
    import -window root -crop "$geometry" +repage "$2/docs/screenshot.png"
    kill $pid
' _ "$work" "$root"
echo "docs/screenshot.png written"
