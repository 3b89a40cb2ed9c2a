#include <benchmark/benchmark.h>

#include <cmath>
#include <mapplot/console.hpp>
#include <span>
#include <vector>

#include "driver/play_julia_zoom.hpp"
#include "platform/discarding_window_system.hpp"

namespace {

using mapplot::julia_frame;

constexpr std::size_t side = mapplot::julia_grid_side;

// The baseline: the grid computed the straightforward way, one cell after
// another on one thread.
void plain_grid(const julia_frame& f, std::span<float> X, std::span<float> Y, std::span<float> A) {
  for (int p = -60; p <= 60; ++p) {
    X[p + 60] = static_cast<float>(static_cast<long double>(p) * f.ray / 60 + f.cx);
  }
  for (int q = -60; q <= 60; ++q) {
    Y[q + 60] = static_cast<float>(static_cast<long double>(q) * f.ray / 60 + f.cy);
  }
  for (int q = -60; q <= 60; ++q) {
    for (int p = -60; p <= 60; ++p) {
      float& cell = A[(p + 60) + (q + 60) * side];
      cell = 0;
      long double re = static_cast<long double>(p) * f.ray / 60 + f.cx;
      long double im = Y[q + 60];
      for (int n = -2; n <= f.limit + 1; ++n) {
        if (std::sqrt(re * re + im * im) >= 256) break;
        cell = static_cast<float>(n);
        const long double old_re = re;
        re = re * re - im * im;
        im = 2 * old_re * im + 1;
      }
    }
  }
}

using grid_function = mapplot::julia_grid_function;

void one_frame(benchmark::State& state, grid_function grid) {
  const julia_frame frame = mapplot::julia_window(static_cast<int>(state.range(0)));
  std::vector<float> A(side * side), X(side), Y(side);
  for (auto _ : state) {
    grid(frame, X, Y, A);
    benchmark::DoNotOptimize(A.data());
    benchmark::ClobberMemory();
  }
}

// The program's frame loop, drawn into a window system that discards everything.
void whole_zoom(benchmark::State& state, grid_function grid) {
  mapplot::discarding_window_system windows;
  mapplot::install_window_system(&windows);
  for (auto _ : state) {
    mapplot::console_capture console;
    mapplot::play_julia_zoom(grid);
  }
  mapplot::install_window_system(nullptr);
}

BENCHMARK_CAPTURE(one_frame, plain, plain_grid)
    ->Arg(1)
    ->Arg(100)
    ->Arg(200)
    ->Arg(335)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(one_frame, julia_grid, mapplot::julia_grid)
    ->Arg(1)
    ->Arg(100)
    ->Arg(200)
    ->Arg(335)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(whole_zoom, plain, plain_grid)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(whole_zoom, julia_grid, mapplot::julia_grid)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
