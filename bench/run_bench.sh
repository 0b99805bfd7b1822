#!/usr/bin/env bash
# End-to-end benchmark of brindlewick-cli against a plain C loop, perl rename and mmv.
#
# For each file system (/tmp, /dev/shm) and file set (10,000 and 100,000 files in one folder,
# 100 folders of 1,000 files) it makes a fresh copy of the same files before every timed run
# and lower-cases every name (one lower-case job). Times are wall-clock medians of REPS runs,
# memory the peak resident set of the run. Ratios are to the C loop of the same set (the
# simulation to the C loop's dry run). Two batches where every new name is held by another
# file are timed against the same C loop of simple renames: every number one up (IMG_000001 to
# IMG_000002 and so on: one chain per folder, made from its free end), and the same with the
# last number going round to the first (one cycle per folder: one temporary name, which the
# "temporary names" line counts in the undo files). "bytes/entry" is the peak resident set of
# the lower-case run above that of a run on an empty folder, per file of the largest folder.
# Not run by the tests.
#
#   bench/run_bench.sh                 all sets, both file systems
#   REPS=5 SETS="10k 100k" FILESYSTEMS=/dev/shm bench/run_bench.sh
#   TOOLS="c-loop brindle brindle-undo brindle-shift" bench/run_bench.sh   some tools only
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
REPS=${REPS:-3}
SETS=${SETS:-"10k 100k 100x1k"}
FILESYSTEMS=${FILESYSTEMS:-"/tmp /dev/shm"}
TOOLS=${TOOLS:-"c-loop brindle brindle-nosort brindle-undo brindle-shift brindle-shift-undo brindle-rotate perl-rename mmv c-dry brindle-sim"}
case " $TOOLS " in *" c-loop "*) ;; *) TOOLS="c-loop $TOOLS" ;; esac
case " $TOOLS " in *" brindle-sim "*) case " $TOOLS " in *" c-dry "*) ;; *) TOOLS="$TOOLS c-dry" ;; esac ;; esac

# Tools: perl rename and mmv come from Debian.
need=()
case " $TOOLS " in *" perl-rename "*) command -v file-rename >/dev/null || need+=(rename) ;; esac
case " $TOOLS " in *" mmv "*) command -v mmv >/dev/null || need+=(mmv) ;; esac
[ -x /usr/bin/time ] || need+=(time)
if [ ${#need[@]} -gt 0 ]; then
    sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q --no-install-recommends "${need[@]}"
fi

BUILD=$ROOT/build/bench
cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRINDLE_TESTS=OFF -DBRINDLE_GUI=OFF >/dev/null
cmake --build "$BUILD" --target brindlewick-cli >/dev/null
CLI=$BUILD/bin/brindlewick-cli
CLOOP=$BUILD/c_rename_loop
cc -O2 -o "$CLOOP" "$ROOT/bench/c_rename_loop.c"

WORK=$(mktemp -d /tmp/brindle-bench-work-XXXXXX)
base=""
trap 'rm -rf "$WORK" ${base:+"$base"}' EXIT
JOBS=$WORK/lower.xml
cat >"$JOBS" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<brindlewick><jobs><job type="jobLower" modifier="0" int1="0" int2="0" str1="" str2="" /></jobs></brindlewick>
XML

# make_set DIR SET: the files of a set, every name with upper-case letters.
make_set() {
    local dir=$1 set=$2
    mkdir -p "$dir"
    case $set in
    10k) (cd "$dir" && seq -f "IMG_%06g.JPG" 1 10000 | xargs touch) ;;
    100k) (cd "$dir" && seq -f "IMG_%06g.JPG" 1 100000 | xargs touch) ;;
    100x1k)
        for f in $(seq -f "%03g" 1 100); do
            mkdir "$dir/D$f"
            (cd "$dir/D$f" && seq -f "IMG_%06g.JPG" 1 1000 | xargs touch)
        done
        ;;
    esac
}

# A tool's command for a folder; RECURSE is set for the set of many folders.
tool_cmd() {
    local tool=$1 dir=$2 r=()
    [ -n "$RECURSE" ] && r=(-r)
    case $tool in
    c-loop) echo "$CLOOP ${r[*]} $dir" ;;
    c-dry) echo "$CLOOP -n ${r[*]} $dir" ;;
    brindle) echo "$CLI -q -j $JOBS ${r[*]} $dir" ;;
    brindle-nosort) echo "$CLI -q -j $JOBS --sort none ${r[*]} $dir" ;;
    brindle-undo) echo "$CLI -q -u -j $JOBS ${r[*]} $dir" ;;
    brindle-sim) echo "$CLI -q -n --sort none -j $JOBS ${r[*]} $dir" ;;
    brindle-shift) echo "$CLI -q -c 2 --reset-counter -j $SHIFT ${r[*]} $dir" ;;
    brindle-shift-undo) echo "$CLI -q -u -c 2 --reset-counter -j $SHIFT ${r[*]} $dir" ;;
    brindle-rotate) echo "$CLI -q -u -c 2 --reset-counter -j $ROTATE ${r[*]} $dir" ;;
    perl-rename) echo "sh -c 'cd $dir && find . -type f | file-rename -d y/A-Z/a-z/'" ;;
    mmv)
        if [ -n "$RECURSE" ]; then
            # ";*" alone would match the folders too and rename them first.
            echo "sh -c 'cd $dir && mmv \";*.JPG\" \"#1#l2.jpg\"'"
        else
            echo "sh -c 'cd $dir && mmv \"*\" \"#l1\"'"
        fi
        ;;
    esac
}

# run_once TOOL TEMPLATE: prints "seconds peak-KiB" for one run on a fresh copy.
run_once() {
    local tool=$1 template=$2 copy
    copy=$(dirname "$template")/run
    rm -rf "$copy"
    cp -a "$template" "$copy"
    sync
    local cmd
    cmd=$(tool_cmd "$tool" "$copy")
    local t0 t1
    t0=$(date +%s%N)
    /usr/bin/time -f "%M" -o "$WORK/mem" sh -c "$cmd >/dev/null" || echo "($tool exited with $?)" >&2
    t1=$(date +%s%N)
    # Every name must have been lowered (the dry runs and the simulation change nothing), every
    # number moved one up, or round.
    case $tool in
    c-dry | brindle-sim) ;;
    brindle-shift | brindle-shift-undo | brindle-rotate)
        local wrong
        if [ "$tool" = brindle-rotate ]; then
            wrong=$(find "$copy" -name "IMG_$(printf %06d $((PER_FOLDER + 1))).JPG" | wc -l)
            grep -a -c '^\.brindlewick-tmp-' $(find "$copy" -name _brindlewick_undo.txt) 2>/dev/null |
                awk -F: '{ n += $NF } END { print n / 2 }' >"$WORK/temporaries"
        else
            wrong=$(find "$copy" -name 'IMG_000001.JPG' | wc -l)
        fi
        [ "$wrong" -eq 0 ] || echo "($tool left $wrong names where they were)" >&2
        ;;
    *)
        local left
        left=$(find "$copy" -name '*IMG*' | wc -l)
        [ "$left" -eq 0 ] || echo "($tool left $left names unchanged)" >&2
        ;;
    esac
    echo "$(((t1 - t0) / 1000000)) $(tail -n1 "$WORK/mem")"
}

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

# jobs_file FILE LAST: every number one up (the counter, from -c, in place of the number),
# and with LAST the number LAST going round to 000001.
jobs_file() {
    local file=$1 last=${2:-}
    {
        echo '<?xml version="1.0" encoding="UTF-8"?>'
        echo '<brindlewick><jobs>'
        echo '<job type="jobReplace" modifier="1" int1="1" int2="0" str1="\A(IMG_)\d{6}" str2="$1" />'
        echo '<job type="jobCounter" modifier="5" int1="6" int2="0" str1="" str2="" />'
        [ -n "$last" ] &&
            echo "<job type=\"jobReplace\" modifier=\"1\" int1=\"1\" int2=\"0\" str1=\"\\AIMG_$last\\.JPG\\z\" str2=\"IMG_000001.JPG\" />"
        echo '</jobs></brindlewick>'
    } >"$file"
}
SHIFT=$WORK/shift.xml
jobs_file "$SHIFT"

# The peak resident set of a run with nothing to do: the base the memory per entry is above.
mkdir "$WORK/empty"
/usr/bin/time -f "%M" -o "$WORK/mem" "$CLI" -q -j "$JOBS" "$WORK/empty" >/dev/null
BASE_KIB=$(tail -n1 "$WORK/mem")
echo "base: a run on an empty folder peaks at $BASE_KIB KiB"

printf "%-8s %-9s %-18s %10s %8s %10s %12s\n" "fs" "set" "tool" "ms" "ratio" "peak KiB" "bytes/entry"
for fs in $FILESYSTEMS; do
    for set in $SETS; do
        base=$(mktemp -d "$fs/brindle-bench-XXXXXX")
        make_set "$base/template" "$set"
        RECURSE=""
        [ "$set" = 100x1k ] && RECURSE=1
        case $set in
        10k) PER_FOLDER=10000 ;;
        100k) PER_FOLDER=100000 ;;
        100x1k) PER_FOLDER=1000 ;;
        esac
        ROTATE=$WORK/rotate-$set.xml
        jobs_file "$ROTATE" "$(printf %06d $((PER_FOLDER + 1)))"
        declare -A ms=() mem=()
        for tool in $TOOLS; do
            times=()
            peak=0
            for _ in $(seq "$REPS"); do
                read -r t m < <(run_once "$tool" "$base/template")
                times+=("$t")
                [ "$m" -gt "$peak" ] && peak=$m
            done
            ms[$tool]=$(printf "%s\n" "${times[@]}" | median)
            mem[$tool]=$peak
        done
        for tool in $TOOLS; do
            ref=${ms[c-loop]}
            if [ "$tool" = brindle-sim ] || [ "$tool" = c-dry ]; then ref=${ms[c-dry]}; fi
            ratio=$(awk -v a="${ms[$tool]}" -v b="$ref" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }')
            perEntry=$(awk -v m="${mem[$tool]}" -v b="$BASE_KIB" -v n="$PER_FOLDER" \
                'BEGIN { printf "%.0f", (m - b) * 1024 / n }')
            printf "%-8s %-9s %-18s %10s %8s %10s %12s\n" "$fs" "$set" "$tool" "${ms[$tool]}" "$ratio" \
                "${mem[$tool]}" "$perEntry"
        done
        [ -f "$WORK/temporaries" ] && echo "temporary names of the last rotation run, all folders: $(cat "$WORK/temporaries")"
        rm -rf "$base"
        base=""
    done
done
