#!/usr/bin/env bash
# Fails when PROGRAM links, or loads at a start that needs none of them, one of the libraries
# the core loads on first need: ICU, libxml2 and the metadata readers (exiv2, TagLib, poppler,
# which only the file facts module links, and libavformat, which the module opens on its first
# video). Looks at the program's NEEDED entries, then at the files the loader opens
# (LD_DEBUG=files) for --version, for a run on an empty folder and, for libavformat, for a
# template run on a photo; as a control, a job list read must load libxml2, a template job that
# reads a photo's facts the module and one that reads a video's libavformat, or the checks could
# not see anything.
# Usage: check-lazy-libraries.sh PROGRAM PHOTO VIDEO
set -uo pipefail

program=$1
photo=$2
video=$3
video_libraries='libavformat|libavcodec|libavutil'
lazy="libicu|libxml2|libexiv2|libtag|libpoppler|brindlewick-facts|$video_libraries"
failures=0
fail() {
    echo "FAIL $*"
    failures=$((failures + 1))
}

needed=$(readelf -d --wide "$program" | sed -n 's/.*(NEEDED).*\[\(.*\)\]$/\1/p')
if [[ -z $needed ]]; then
    fail "$program: no NEEDED entry read"
fi
while IFS= read -r lib; do
    [[ $lib =~ ^($lazy) ]] && fail "$program links $lib"
done <<<"$needed"

scratch=$(mktemp -d /tmp/brindle-XXXXXX)
trap 'rm -rf -- "$scratch"' EXIT
mkdir "$scratch/empty" "$scratch/photos" "$scratch/videos"
cp -- "$photo" "$scratch/photos/a.jpg"
cp -- "$video" "$scratch/videos/a.mp4"
printf '<?xml version="1.0"?>\n<brindlewick><jobs/></brindlewick>\n' >"$scratch/jobs.xml"

# The libraries the loader opens while PROGRAM runs with the arguments given.
loaded() {
    LD_DEBUG=files "$program" "$@" 2>&1 >/dev/null | sed -n 's/.*file=\([^ ]*\) .*generating link map.*/\1/p'
}

for args in "--version" "-q --lower $scratch/empty"; do
    # shellcheck disable=SC2086
    while IFS= read -r lib; do
        [[ $(basename -- "$lib") =~ ^($lazy) ]] && fail "'$args' loads $lib"
    done < <(loaded $args)
done

loaded --jobs "$scratch/jobs.xml" --describe | grep -q '^libxml2' \
    || fail "control: reading a job list did not load libxml2"
photo_run=$(loaded -n --template '{make}' "$scratch/photos")
grep -q 'brindlewick-facts' <<<"$photo_run" \
    || fail "control: a template with a camera fact did not load the file facts module"
while IFS= read -r lib; do
    [[ $(basename -- "$lib") =~ ^($video_libraries) ]] && fail "a template run on a photo loads $lib"
done <<<"$photo_run"
loaded -n --template '{taken}' "$scratch/videos" | grep -q 'libavformat' \
    || fail "control: a template with the date taken did not load libavformat for a video"

echo "checked $program: $failures failures"
((failures == 0))
