// The four overloads: each hands its arrays as they are to the renderer in
// their own precision (a grid is already flat in memory), which only reads
// them.
#include <mapplot/screen_map.hpp>

#include "request/complete_options.hpp"
#include "request/grid_size.hpp"
#include "screenmap/map_renderer.hpp"

namespace mapplot {

void screen_map(std::span<const double> x, std::span<const double> y, std::span<const double> z,
                const screen_options& options) {
  render_screen_map(x, y, z, options);
}

void screen_map(std::span<const float> x, std::span<const float> y, std::span<const float> z,
                const screen_options& options) {
  render_screen_map(x, y, z, complete_options(options));
}

void screen_map(std::span<const double> x, std::span<const double> y, grid_view<double> z,
                const screen_options& options) {
  render_screen_map(x, y, grid_values(z), complete_options(options));
}

void screen_map(std::span<const float> x, std::span<const float> y, grid_view<float> z,
                const screen_options& options) {
  render_screen_map(x, y, grid_values(z), complete_options(options));
}

}  // namespace mapplot
