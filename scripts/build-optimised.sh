#!/usr/bin/env bash
# Builds everything optimised (Release, -O3) without sanitizers in
# build-bench: the program and the benchmarks as they are measured, and the
# tests, so that warnings only the optimiser sees stop our builds too.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_COMPILE_WARNING_AS_ERROR=ON \
  -DMAPPLOT_TESTS=ON -DMAPPLOT_BENCHMARKS=ON >/dev/null
cmake --build build-bench ${MAPPLOT_JOBS:+-j "$MAPPLOT_JOBS"}
