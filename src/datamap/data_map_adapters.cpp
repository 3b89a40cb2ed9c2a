// The three overloads that are not the core. A grid is already in the
// flattened order in memory, so it is written from where it lies; double
// values are rounded as they are written. None of them copies the data.
#include <mapplot/data_map.hpp>
#include <string_view>

#include "datamap/data_file.hpp"
#include "request/grid_size.hpp"

namespace mapplot {
namespace {

constexpr std::string_view default_curve_title = "Representation of y=y(x)";

}  // namespace

void data_map(std::span<const double> x, std::span<const double> y, std::span<const double> z,
              const data_options& options) {
  write_data_file(x, y, z, options, default_curve_title);
}

void data_map(std::span<const float> x, std::span<const float> y, grid_view<float> z,
              const data_options& options) {
  write_data_file(x, y, grid_values(z), options, default_title);
}

void data_map(std::span<const double> x, std::span<const double> y, grid_view<double> z,
              const data_options& options) {
  write_data_file(x, y, grid_values(z), options, default_title);
}

}  // namespace mapplot
