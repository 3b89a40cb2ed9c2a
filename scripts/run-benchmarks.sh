#!/usr/bin/env bash
# Builds the benchmarks optimised (no sanitizers) and runs them.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-debian.sh
scripts/build-optimised.sh
for program in build-bench/bench/bench_*; do
  [ -x "$program" ] || continue
  echo "== ${program##*/}"
  (cd build-bench/bench && QT_QPA_PLATFORM=offscreen "./${program##*/}" "$@")
done
