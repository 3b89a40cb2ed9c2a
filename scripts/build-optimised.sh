#!/usr/bin/env bash
# Builds the program and the benchmarks optimised, without sanitizers, in
# build-bench (what the benchmarks are measured with).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_COMPILE_WARNING_AS_ERROR=ON \
  -DMAPPLOT_TESTS=OFF -DMAPPLOT_BENCHMARKS=ON >/dev/null
cmake --build build-bench
