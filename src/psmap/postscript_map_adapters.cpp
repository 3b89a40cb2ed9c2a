// The three overloads that are not the core. A grid is already in the
// flattened order in memory, so the image is made from where it lies, and
// double values are rounded as it is made: no copies besides that one.
#include <mapplot/postscript_map.hpp>

#include "psmap/plot_map.hpp"
#include "request/grid_size.hpp"

namespace mapplot {

void postscript_map(std::span<const double> x, std::span<const double> y, std::span<const double> z,
                    const postscript_options& options) {
  plot_map(x, y, z, options);
}

void postscript_map(std::span<const float> x, std::span<const float> y, grid_view<float> z,
                    const postscript_options& options) {
  plot_map(x, y, grid_values(z), options);
}

void postscript_map(std::span<const double> x, std::span<const double> y, grid_view<double> z,
                    const postscript_options& options) {
  plot_map(x, y, grid_values(z), options);
}

}  // namespace mapplot
