#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each one on its seed corpus.
#   fuzz/run.sh [SECONDS_PER_TARGET] [TARGET...]
# With 0 seconds each target runs every input of its seed corpus once, without mutation: the
# check of what is known, the same on every run. A short run (a few seconds a target) also
# tries new inputs; long runs hunt for new findings.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-5}
shift || true
build=build/fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRINDLE_FUZZ=ON \
    -DBRINDLE_SANITIZE=ON -DBRINDLE_GUI=OFF -DBRINDLE_TESTS=OFF >/dev/null
# Known leaks inside the metadata libraries are not reported (see the file).
export LSAN_OPTIONS="suppressions=$PWD/fuzz/lsan-libraries.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    targets=($(sed -n 's/^brindle_fuzzer(\([a-z_]*\) .*/\1/p' fuzz/CMakeLists.txt))
fi
cmake --build "$build" -j "$(nproc)" --target "${targets[@]}"
for t in "${targets[@]}"; do
    corpus=fuzz/corpus/${t#fuzz_}
    work=$(mktemp -d /tmp/brindle-fuzz-XXXXXX)
    echo "== $t for ${seconds}s on $corpus"
    # New inputs go to a scratch folder; the committed seed corpus stays as it is.
    if [ "$seconds" = 0 ]; then
        "$build/bin/$t" -runs=0 -timeout=10 -rss_limit_mb=2048 -artifact_prefix="$work/" \
            "$corpus" 2>&1 | tail -n 3
    else
        "$build/bin/$t" -max_total_time="$seconds" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
            -print_final_stats=1 -artifact_prefix="$work/" "$work" "$corpus" 2>&1 | tail -n 12
    fi
    rm -rf "$work"
done
