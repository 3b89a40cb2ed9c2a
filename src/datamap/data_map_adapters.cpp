#include <mapplot/data_map.hpp>
#include <string_view>
#include <vector>

#include "request/array_conversion.hpp"
#include "request/complete_options.hpp"

namespace mapplot {
namespace {

constexpr std::string_view default_curve_title = "Representation of y=y(x)";

}  // namespace

void data_map(std::span<const double> x, std::span<const double> y, std::span<const double> z,
              const data_options& options) {
  data_map(narrow(x), narrow(y), narrow(z), complete_options(options, default_curve_title));
}

void data_map(std::span<const float> x, std::span<const float> y, grid_view<float> z,
              const data_options& options) {
  data_map(x, y, flatten<float>(z), complete_options(options));
}

void data_map(std::span<const double> x, std::span<const double> y, grid_view<double> z,
              const data_options& options) {
  data_map(narrow(x), narrow(y), flatten<float>(z), complete_options(options));
}

}  // namespace mapplot
