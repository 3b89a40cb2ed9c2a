#include <mapplot/postscript_map.hpp>
#include <vector>

#include "request/array_conversion.hpp"
#include "request/complete_options.hpp"

// The three overloads that bring their data into the core's form (single
// precision, flat) and call it once with every option present.
namespace mapplot {

void postscript_map(std::span<const double> x, std::span<const double> y, std::span<const double> z,
                    const postscript_options& options) {
  const postscript_options complete = complete_options(options);
  const std::vector<float> x_single = narrow(x);
  const std::vector<float> y_single = narrow(y);
  const std::vector<float> z_single = narrow(z);
  postscript_map(std::span<const float>(x_single), std::span<const float>(y_single),
                 std::span<const float>(z_single), complete);
}

void postscript_map(std::span<const float> x, std::span<const float> y, grid_view<float> z,
                    const postscript_options& options) {
  const postscript_options complete = complete_options(options);
  const std::vector<float> z_flat = flatten<float>(z);
  postscript_map(x, y, std::span<const float>(z_flat), complete);
}

void postscript_map(std::span<const double> x, std::span<const double> y, grid_view<double> z,
                    const postscript_options& options) {
  const postscript_options complete = complete_options(options);
  const std::vector<float> x_single = narrow(x);
  const std::vector<float> y_single = narrow(y);
  const std::vector<float> z_flat = flatten<float>(z);
  postscript_map(std::span<const float>(x_single), std::span<const float>(y_single),
                 std::span<const float>(z_flat), complete);
}

}  // namespace mapplot
