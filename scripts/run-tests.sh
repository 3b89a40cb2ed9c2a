#!/usr/bin/env bash
# Installs what is missing, builds everything optimised (the program and the
# benchmarks as the other scripts build them, and the tests), then builds
# mapplot under AddressSanitizer and UndefinedBehaviorSanitizer and runs every
# test, then checks the installed package as another project uses it. The
# real-window tests start their own Xvfb, so no display is needed. Every
# script builds with Ninja in its own folder; MAPPLOT_JOBS sets its build jobs.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-debian.sh

scripts/build-optimised.sh

build=build-tests
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DMAPPLOT_SANITIZE=ON -DCMAKE_COMPILE_WARNING_AS_ERROR=ON -DMAPPLOT_TESTS=ON -DMAPPLOT_BENCHMARKS=OFF >/dev/null
cmake --build "$build" ${MAPPLOT_JOBS:+-j "$MAPPLOT_JOBS"}

# The tests carry their sanitizer options as test properties.
ctest --test-dir "$build" --output-on-failure --timeout 600 -j 2

# The fuzzers run outside CTest.
export ASAN_OPTIONS="detect_leaks=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/leak_suppressions.txt:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
scripts/run-fuzzers.sh

scripts/check-package.sh
