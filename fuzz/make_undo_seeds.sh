#!/usr/bin/env bash
# Makes the seed corpus of fuzz_undo: real undo files, written by brindlewick-cli renaming the
# undo target's own scratch tree with several job lists, plus a few made by hand.
#   fuzz/make_undo_seeds.sh        (after fuzz/run.sh has configured build/fuzz)
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/fuzz
cmake --build "$build" --target fuzz_undo brindlewick-cli >/dev/null
out=fuzz/corpus/undo
mkdir -p "$out"
work=$(mktemp -d /tmp/brindle-seeds-XXXXXX)
trap 'rm -rf "$work"' EXIT
for jobs in tests/data/cli/lower.xml fuzz/corpus/joblist/{seven-jobs,photos,example,greek}.xml; do
    rm -rf "$work/tree" && mkdir "$work/tree"
    BRINDLE_UNDO_SEED_TREE="$work/tree" "$build/bin/fuzz_undo"
    "$build/bin/brindlewick-cli" -j "$jobs" -d -u -q "$work/tree" 2>/dev/null || true
    cp "$work/tree/_brindlewick_undo.txt" "$out/run-$(basename "$jobs" .xml).txt"
done
# A killed run's last record, whose rename never happened, whole and cut short.
printf 'a.txt\r\nA.TXT\r\nb.TXT\r\nb.txt\r\n' >"$out/killed-last-pair.txt"
printf 'a.txt\r\nA.TXT\r\nb.TXT\r\nb.t' >"$out/killed-cut-short.txt"
# Names reaching out of the folder, the undo file itself, dots, a link.
printf '../outside/secret\r\nstolen\r\nlink-out\r\n../outside/sub/a.txt\r\n_brindlewick_undo.txt\r\nx\r\nSub\r\n..\r\n' \
    >"$out/escape.txt"
ls -l "$out"
