#!/usr/bin/env bash
# Installs what is missing, builds, and starts Brindlewick with the arguments given.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh

cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRINDLE_TESTS=OFF >/dev/null
cmake --build build/release -j "$(nproc)"

if [ -x build/release/bin/brindlewick ]; then
    exec build/release/bin/brindlewick "$@"
fi
# Without the window program, the command-line front end (help when no arguments).
if [ $# -eq 0 ]; then
    set -- --help
fi
exec build/release/bin/brindlewick-cli "$@"
