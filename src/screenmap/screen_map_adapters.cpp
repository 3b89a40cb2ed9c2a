// The three adapters: each brings its data into the core's form (double
// precision, z flattened column by column) in copies of its own and calls the
// core once, so the caller's arrays are never changed.
#include <mapplot/screen_map.hpp>
#include <vector>

#include "request/array_conversion.hpp"
#include "request/complete_options.hpp"

namespace mapplot {

void screen_map(std::span<const float> x, std::span<const float> y, std::span<const float> z,
                const screen_options& options) {
  std::vector<double> values = widen(z);
  screen_map(widen(x), widen(y), std::span<double>(values), complete_options(options));
}

void screen_map(std::span<const double> x, std::span<const double> y, grid_view<double> z,
                const screen_options& options) {
  std::vector<double> values = flatten<double>(z);
  screen_map(x, y, std::span<double>(values), complete_options(options));
}

void screen_map(std::span<const float> x, std::span<const float> y, grid_view<float> z,
                const screen_options& options) {
  std::vector<double> values = flatten<double>(z);
  screen_map(widen(x), widen(y), std::span<double>(values), complete_options(options));
}

}  // namespace mapplot
