// screen_map on a grid that draws nothing (its x coordinates are one value,
// "x span no width") against the one pass over its values that its legend
// needs, in the same run: the call should cost about that pass, not a copy
// of the grid on top of it.
// Counter: x_range_pass is the call's processor time over the pass's.
#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <mapplot/screen_map.hpp>
#include <numeric>
#include <vector>

#include "platform/discarding_window_system.hpp"
#include "screenmap/map_values.hpp"

namespace {

using seconds = std::chrono::duration<double>;

seconds thread_time() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return seconds(static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9);
}

template <class Work>
seconds timed(Work&& work) {
  const seconds start = thread_time();
  work();
  return thread_time() - start;
}

void grid_drawing_nothing(benchmark::State& state) {
  const auto rows = static_cast<std::size_t>(state.range(0));
  const std::vector<double> x{1.5};
  std::vector<double> y(rows);
  std::iota(y.begin(), y.end(), 0.0);
  std::vector<double> z(rows);
  for (std::size_t k = 0; k < rows; ++k) z[k] = std::sin(0.001 * static_cast<double>(k));
  mapplot::discarding_window_system windows;
  mapplot::install_window_system(&windows);

  std::vector<seconds> passes;
  for (int run = 0; run < 5; ++run) {
    passes.push_back(timed([&] {
      benchmark::DoNotOptimize(mapplot::scale_range(std::span<const double>(z), false));
    }));
  }
  std::sort(passes.begin(), passes.end());
  seconds total{};
  for (auto _ : state) {
    const seconds took = timed([&] { mapplot::screen_map(x, y, z, {.ownwindow = true}); });
    total += took;
    state.SetIterationTime(took.count());
  }
  mapplot::install_window_system(nullptr);
  state.counters["x_range_pass"] =
      benchmark::Counter(total / passes[2], benchmark::Counter::kAvgIterations);
}

}  // namespace

BENCHMARK(grid_drawing_nothing)
    ->Arg(10'000'000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
