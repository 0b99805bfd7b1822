#!/usr/bin/env bash
# Builds everything with warnings as errors and runs every test, and makes and checks the Debian
# package from that build; then builds the core and command-line tests again under
# AddressSanitizer and UndefinedBehaviorSanitizer and runs them, then the window tests the same
# way; last, a short run of every fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh --test

jobs=$(nproc)

echo "== build (warnings as errors)"
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRINDLE_WERROR=ON
cmake --build build/test -j "$jobs"
echo "== tests"
# The window tests run without a display.
export QT_QPA_PLATFORM=offscreen
(cd build/test && ctest --output-on-failure -j "$jobs" --timeout 600)

echo "== the Debian package"
packaging/test-package.sh build/test

echo "== build (AddressSanitizer + UndefinedBehaviorSanitizer)"
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DBRINDLE_WERROR=ON -DBRINDLE_SANITIZE=ON \
    -DBRINDLE_GUI=OFF
cmake --build build/asan -j "$jobs"
echo "== tests under the sanitizers"
# The kill test is left out here: it checks what a killed run leaves on disk, which the
# sanitizers do not change, and it takes minutes in this build.
(cd build/asan && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --output-on-failure -j "$jobs" --timeout 900 -E 'CliCrashTest')

echo "== window tests under the sanitizers"
cmake -S . -B build/asan-gui -G Ninja -DCMAKE_BUILD_TYPE=Debug -DBRINDLE_WERROR=ON -DBRINDLE_SANITIZE=ON \
    -DBRINDLE_GUI=ON
cmake --build build/asan-gui -j "$jobs" --target gui_tests
# Leaks inside the platform's libraries only are suppressed (see the file).
suppressions="$PWD/tests/gui/lsan-platform.supp"
# The test that the window keeps turning during a run measures time on the window's thread,
# which the sanitizers slow down many times over; it runs in the plain build above.
(cd build/asan-gui && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
    LSAN_OPTIONS=suppressions="$suppressions" ctest --output-on-failure -j "$jobs" --timeout 900 -R '^gui/' \
    -E 'TheWindowKeepsTurningWhileTheRunWaitsOnASlowFolder')

echo "== fuzz targets, each on every input of its seed corpus"
# Only the known inputs, so that the result is the same on every run; hunting for new inputs
# is fuzz/run.sh with seconds, run by hand.
fuzz/run.sh 0

echo "== all tests passed"
