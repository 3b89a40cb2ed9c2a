#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang in build-fuzz and runs
# each for a few seconds (MAPPLOT_FUZZ_SECONDS, 10 by default) on a working
# copy of its seed corpus in fuzz/corpus. A failure stops the script with the
# input that caused it kept in build-fuzz/findings.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${MAPPLOT_FUZZ_SECONDS:-10}
cmake -S fuzz -B build-fuzz -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz ${MAPPLOT_JOBS:+-j "$MAPPLOT_JOBS"}

work=$PWD/build-fuzz
mkdir -p "$work/findings"
started=$(date +%s)
for target in fuzz_text_rules fuzz_data_map fuzz_plot_request; do
  corpus=$work/corpus/$target
  mkdir -p "$corpus"
  cp fuzz/corpus/$target/* "$corpus"/
  echo "== $target, ${seconds} s"
  # The targets work in a scratch folder of their own, so every path is absolute.
  "$work/$target" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$work/findings/$target-" "$corpus" 2>&1 |
    grep -E '^(Done|stat::number_of_executed_units|stat::new_units_added)|check failed|ERROR|SUMMARY'
done
echo "fuzzers: $(($(date +%s) - started)) s in all, nothing found"
