# What the screenshot scripts share; they source it (it is not run on its own). It installs
# what the pictures need (xvfb, xauth, imagemagick, x11-utils, xdotool), works from the
# checkout's top folder, and makes a scratch folder that goes when the script ends.
# After it: root (the checkout), build (BUILD, default build/release), work (the scratch folder).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
scripts/deps.sh --screenshots
root=$(pwd)
build=${BUILD:-build/release}
work=$(mktemp -d /tmp/brindle-shots-XXXXXX)
trap 'rm -rf "$work"' EXIT

# build_programs TARGET...: builds the targets in $build (a Release build without tests when
# the folder is new); NO_BUILD=1 takes them as they are.
build_programs() {
    [ -n "${NO_BUILD:-}" ] && return
    [ -f "$build/build.ninja" ] ||
        cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRINDLE_TESTS=OFF >/dev/null
    cmake --build "$build" -j "$(nproc)" --target "$@"
}

# The jobs most pictures show: "_" replaced by a blank, normal case, the extension in lower case.
photo_jobs='    <job type="jobReplace" modifier="0" int1="0" int2="0" str1="_" str2=" " />
    <job type="jobNormal" modifier="0" int1="0" int2="0" str1="" str2="" />
    <job type="jobLower" modifier="2" int1="0" int2="0" str1="" str2="" />'

# job_list JOBS: the text of a job list file holding the <job .../> lines JOBS.
job_list() {
    printf '<?xml version="1.0" encoding="ISO-8859-1" standalone="yes" ?>\n\n<brindlewick>\n  <jobs>\n%s\n  </jobs>\n</brindlewick>\n' "$1"
}

# window_geometry XWININFO-ARGS: a window's place as "WxH+X+Y", for a crop of the root window.
window_geometry() {
    xwininfo "$@" | awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4}
        /Width/{w=$2} /Height/{h=$2} END{print w "x" h "+" x "+" y}'
}

# main_window_geometry: the place of the main window, whose title ends in "Brindlewick"
# ("Photos — Brindlewick").
main_window_geometry() {
    window_geometry -id "$(wait_window 'Brindlewick$')"
}

# wait_window TITLE: the id of the first visible window whose title matches TITLE, once it is
# there (ten seconds at most).
wait_window() {
    for _ in $(seq 100); do
        id=$(xdotool search --onlyvisible --name "$1" | head -1 || true)
        [ -n "$id" ] && { echo "$id"; return; }
        sleep 0.1
    done
    echo "no window \"$1\"" >&2
    exit 1
}

# The scripts run under xvfb-run in a shell of their own, which takes these functions with
# eval "$screenshot_functions" (xvfb-run is a POSIX shell script: exported functions do not
# pass through it).
screenshot_functions=$(declare -f window_geometry main_window_geometry wait_window)
export screenshot_functions
