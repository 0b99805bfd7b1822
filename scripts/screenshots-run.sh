#!/usr/bin/env bash
# Takes the pictures of a run for the README, under a virtual X server: docs/progress.png (the
# progress window at the end of a run), docs/log.png (the log window after it) and
# docs/simulation.png (the simulated result with a name clash). The program is started on a
# folder of sample files and driven with its keyboard shortcuts through xdotool.
# Needs xvfb, xauth, imagemagick and xdotool (installed when missing). BUILD names a build
# folder to take the program from (default build/release).
source "$(dirname "$0")/screenshot-common.sh"
build_programs brindlewick

# make_photos DIR: a folder of holiday pictures, two of which come out under one name.
make_photos() {
    mkdir -p "$1/beach_day" "$1/old_town"
    for n in IMG_4711.JPG IMG_4712.JPG summer_beach.JPG "Summer Beach.jpg" notes.TXT; do : >"$1/$n"; done
    for n in IMG_4801.JPG IMG_4802.JPG; do : >"$1/beach_day/$n"; done
    for n in IMG_4901.JPG; do : >"$1/old_town/$n"; done
}

# prepare APP BOOLEANS: an application folder with the program, its job list and settings.
prepare() {
    mkdir -p "$1"
    cp "$build/bin/brindlewick" "$1/"
    job_list "$photo_jobs" >"$1/brindle_job_config.xml"
    printf '[Booleans]\n%s\n[Integers]\nviewStyle=2\nstvWidth=220\n[frmMain]\nLeft=10\nTop=10\nWidth=1100\nHeight=560\nWinState=0\n' \
        "$2" >"$1/brindle.ini"
}

make_photos "$work/sim/Pictures/Holiday"
prepare "$work/sim/app" $'recurseDirs=1\nrenameDirs=1\nsimulation=1'
make_photos "$work/real/Pictures/Holiday"
rm "$work/real/Pictures/Holiday/Summer Beach.jpg" # a run without a clash
prepare "$work/real/app" $'recurseDirs=1\nrenameDirs=1\nundo=1\nlog=1'

xvfb-run -a -s '-noreset -screen 0 1280x800x24' bash -c '
    eval "$screenshot_functions"
    set -euo pipefail
    work=$1 docs=$2
    shoot() { import -window "$1" "$2"; }

    # A simulation with a clash: Ctrl+Return (Simulate); the progress window is closed with its
    # Close button (Enter, it has the focus) so that the result shows whole.
    "$work/sim/app/brindlewick" "$work/sim/Pictures/Holiday" &
    pid=$!
    main=$(wait_window "Brindlewick$")
    sleep 2
    xdotool windowfocus --sync "$main" key ctrl+Return
    tree=$(wait_window "Brindlewick Simulated Result")
    sleep 1
    progress=$(wait_window "progress...")
    xdotool windowfocus --sync "$progress" key Return
    sleep 1
    xdotool windowmove "$tree" 40 40 windowsize "$tree" 1000 460
    sleep 1
    shoot "$tree" "$docs/simulation.png"
    kill $pid

    # A real run with the log on: Ctrl+Return (Go); the log window opens at the end.
    "$work/real/app/brindlewick" "$work/real/Pictures/Holiday" &
    pid=$!
    main=$(wait_window "Brindlewick$")
    sleep 2
    xdotool windowfocus --sync "$main" key ctrl+Return
    log=$(wait_window "Brindlewick Log")
    sleep 1
    progress=$(wait_window "progress...")
    xdotool windowmove "$log" 20 20 windowsize "$log" 760 520
    xdotool windowmove "$progress" 820 60
    sleep 1
    shoot "$progress" "$docs/progress.png"
    shoot "$log" "$docs/log.png"
    kill $pid
' _ "$work" "$root/docs"
echo "docs/simulation.png, docs/progress.png and docs/log.png written"
