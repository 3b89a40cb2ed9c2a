#!/usr/bin/env bash
# Installs what is missing, builds julia_zoom and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-debian.sh
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DMAPPLOT_TESTS=OFF -DMAPPLOT_BENCHMARKS=OFF >/dev/null
cmake --build build-release --target julia_zoom
exec build-release/src/driver/julia_zoom
