#!/usr/bin/env bash
# Fails when PROGRAM links, or loads at a start that needs none of them, one of the libraries
# the core loads on first need: ICU, libxml2 and the metadata readers (exiv2, TagLib, poppler,
# MediaInfo, which only the file facts module links). Looks at the program's NEEDED entries,
# then at the files the loader opens (LD_DEBUG=files) for --version and for a run on an empty
# folder; as a control, a job list read must load libxml2 and a template job that reads a
# photo's facts must load the module, or the second check could not see anything.
# Usage: check-lazy-libraries.sh PROGRAM PHOTO
set -uo pipefail

program=$1
photo=$2
lazy='libicu|libxml2|libexiv2|libtag|libpoppler|libmediainfo|libzen|brindlewick-facts'
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
mkdir "$scratch/empty" "$scratch/photos"
cp -- "$photo" "$scratch/photos/a.jpg"
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
loaded -n --template '{make}' "$scratch/photos" | grep -q 'brindlewick-facts' \
    || fail "control: a template with a camera fact did not load the file facts module"

echo "checked $program: $failures failures"
((failures == 0))
