#!/usr/bin/env bash
# Installs what is missing, builds julia_zoom and starts it. Build messages go
# to standard error, so standard output carries only the program's console
# when it runs off screen; the program runs in the caller's folder with the
# caller's options (scripts/run-zoom.sh --video zoom.mp4).
set -euo pipefail
caller_folder=$PWD
repository=$(cd "$(dirname "$0")/.." && pwd)
cd "$repository"
scripts/setup-debian.sh
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_COMPILE_WARNING_AS_ERROR=ON \
  -DMAPPLOT_TESTS=OFF -DMAPPLOT_BENCHMARKS=OFF >&2
cmake --build build-release ${MAPPLOT_JOBS:+-j "$MAPPLOT_JOBS"} --target julia_zoom >&2
cd "$caller_folder"
exec "$repository/build-release/apps/julia_zoom/julia_zoom" "$@"
