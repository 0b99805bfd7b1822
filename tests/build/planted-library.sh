#!/usr/bin/env bash
# Starts PROGRAM from a scratch folder that holds PLANTED under the name libxml2.so.2, asking it
# to describe a job list, which loads libxml2; the planted library's constructor would leave a
# marker file there. The program must take its libraries from the system's folders only, so the
# marker must never appear.
# As a control, the same start with LD_LIBRARY_PATH naming the folder must load it: otherwise
# the planted library no longer fits the program and the first check would prove nothing. A
# planted library that were loaded without LD_LIBRARY_PATH would also make the reading fail.
# Usage: planted-library.sh PROGRAM PLANTED
set -uo pipefail

program=$1
planted=$2
scratch=$(mktemp -d /tmp/brindle-XXXXXX)
trap 'rm -rf -- "$scratch"' EXIT
cp -- "$planted" "$scratch/libxml2.so.2"
marker="$scratch/planted-library-ran"
printf '<?xml version="1.0"?>\n<brindlewick><jobs/></brindlewick>\n' >"$scratch/jobs.xml"

(cd "$scratch" && "$program" --jobs jobs.xml --describe) >"$scratch/out" 2>&1
status=$?
if [[ -e $marker ]]; then
    echo "FAIL $program loaded libxml2.so.2 from the current folder:"
    cat "$scratch/out"
    exit 1
fi
if ((status != 0)); then
    echo "FAIL $program --jobs jobs.xml --describe exited with $status:"
    cat "$scratch/out"
    exit 1
fi

# libxml2 is opened with immediate binding: the planted library, which lacks most of libxml2, is
# then refused with a lookup error for a libxml2 symbol (after its constructor ran), which the
# program reports; either proves that it was the one loaded.
(cd "$scratch" && LD_LIBRARY_PATH="$scratch" "$program" --jobs jobs.xml --describe) >"$scratch/out" 2>&1
if [[ ! -e $marker ]] && ! grep -q "undefined symbol: xml" "$scratch/out"; then
    echo "FAIL control: the planted library was not loaded even through LD_LIBRARY_PATH:"
    cat "$scratch/out"
    exit 1
fi
echo "the planted libxml2.so.2 stayed unloaded (and loads when the folder is named on purpose)"
