#!/usr/bin/env bash
# Starts PROGRAM --version from a scratch folder that holds PLANTED under the name
# libxml2.so.2; the planted library's constructor would leave a marker file there. The program
# must take its libraries from the system's folders only, so the marker must never appear.
# As a control, the same start with LD_LIBRARY_PATH naming the folder must load it: otherwise
# the planted library no longer fits the program and the first check would prove nothing. A
# planted library that were loaded without LD_LIBRARY_PATH would also make --version fail.
# Usage: planted-library.sh PROGRAM PLANTED
set -uo pipefail

program=$1
planted=$2
scratch=$(mktemp -d /tmp/brindle-XXXXXX)
trap 'rm -rf -- "$scratch"' EXIT
cp -- "$planted" "$scratch/libxml2.so.2"
marker="$scratch/planted-library-ran"

(cd "$scratch" && "$program" --version) >"$scratch/out" 2>&1
status=$?
if [[ -e $marker ]]; then
    echo "FAIL $program loaded libxml2.so.2 from the current folder:"
    cat "$scratch/out"
    exit 1
fi
if ((status != 0)); then
    echo "FAIL $program --version exited with $status:"
    cat "$scratch/out"
    exit 1
fi

# A program linked with immediate binding (-z now) resolves every symbol before any
# constructor runs: the planted library, which lacks most of libxml2, then stops the start with
# a lookup error for a libxml2 symbol, which proves as well that it was the one loaded.
(cd "$scratch" && LD_LIBRARY_PATH="$scratch" "$program" --version) >"$scratch/out" 2>&1
if [[ ! -e $marker ]] && ! grep -q "undefined symbol: xml" "$scratch/out"; then
    echo "FAIL control: the planted library was not loaded even through LD_LIBRARY_PATH:"
    cat "$scratch/out"
    exit 1
fi
echo "the planted libxml2.so.2 stayed unloaded (and loads when the folder is named on purpose)"
