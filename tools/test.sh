#!/usr/bin/env bash
# Sets up the machine, builds everything once and runs the whole test suite.
#  - build/san: the layers without Qt, under AddressSanitizer and
#    UndefinedBehaviorSanitizer (unit, platform and end-to-end tests);
#  - build/gui: the desktop program and its widget and page tests (Xvfb).
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/setup-deps.sh

jobs=${JOBS:-2}

# Compiled for testing, not for speed: -O1 is what the sanitizers are made
# for, and line tables are enough for their stack traces. Assertions stay on.
cmake -S . -B build/san -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" \
  -DMILELEDGER_SANITIZE=ON -DMILELEDGER_GUI=OFF -DMILELEDGER_BENCH=OFF
cmake --build build/san -j "$jobs"

cmake -S . -B build/gui -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O0 -g1" \
  -DMILELEDGER_GUI=ON -DMILELEDGER_BENCH=ON -DMILELEDGER_NONGUI_TESTS=OFF
cmake --build build/gui -j "$jobs"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

status=0
(cd build/san && ctest --output-on-failure -j "$jobs") || status=1
# Widget and page tests need a display; run them under one virtual X server.
(cd build/gui && xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -L gui -j "$jobs") || status=1
exit $status
