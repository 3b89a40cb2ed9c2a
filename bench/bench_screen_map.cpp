// One screen_map call on a large grid through a window system that discards
// every operation, beside a baseline doing only the per-cell value work
// (copy, range, scaling, grey level) without making the batch of cells.
#include <benchmark/benchmark.h>

#include <cmath>
#include <mapplot/screen_map.hpp>
#include <vector>

#include "platform/discarding_window_system.hpp"
#include "request/array_conversion.hpp"
#include "platform/map_data.hpp"
#include "request/value_range.hpp"

namespace mapplot {
namespace {

// Keeps the compiler from dropping the batch of cells.
class cell_sink final : public discarding_window_system {
 public:
  void draw_map(std::shared_ptr<const map_data> map) override {
    benchmark::DoNotOptimize(map.get());
  }
};

struct test_grid {
  std::vector<double> x, y, values;
};

test_grid make_grid(std::size_t n) {
  test_grid grid{std::vector<double>(n), std::vector<double>(n), std::vector<double>(n * n)};
  for (std::size_t i = 0; i < n; ++i) grid.x[i] = grid.y[i] = static_cast<double>(i) / n;
  for (std::size_t k = 0; k < grid.values.size(); ++k) grid.values[k] = std::sin(0.001 * k);
  return grid;
}

void screen_map_call(benchmark::State& state) {
  const test_grid grid = make_grid(static_cast<std::size_t>(state.range(0)));
  cell_sink discarding;
  install_window_system(&discarding);
  const grid_view<double> view{grid.values.data(), grid.x.size(), grid.y.size()};
  for (auto _ : state) {
    screen_map(grid.x, grid.y, view, {.ownwindow = true, .update = true});
  }
  install_window_system(nullptr);
  state.SetItemsProcessed(state.iterations() * static_cast<long>(grid.values.size()));
}

void scale_and_iterate_baseline(benchmark::State& state) {
  const test_grid grid = make_grid(static_cast<std::size_t>(state.range(0)));
  const grid_view<double> view{grid.values.data(), grid.x.size(), grid.y.size()};
  for (auto _ : state) {
    std::vector<double> values = flatten<double>(view);
    const value_range range = finite_range(values);
    const grey_scale scale(range.min, range.max);
    unsigned sum = 0;
    for (const double value : values) sum += grey_pixel(scale.level(value));
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<long>(grid.values.size()));
}

BENCHMARK(scale_and_iterate_baseline)->Arg(121)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(screen_map_call)->Arg(121)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace mapplot
