#include "platform/map_view.hpp"

#include <algorithm>
#include <cmath>

#include "platform/map_pixels.hpp"

namespace mapplot {
namespace {

// The finite range of coordinates, widened to a unit span around a single
// value (or 0..1 without any).
std::pair<double, double> shown_range(const std::vector<double>& coordinates) {
  double low = HUGE_VAL, high = -HUGE_VAL;
  for (const double coordinate : coordinates) {
    if (!std::isfinite(coordinate)) continue;
    low = std::min(low, coordinate);
    high = std::max(high, coordinate);
  }
  if (low > high) return {0, 1};
  if (!(high - low > 0) || !std::isfinite(high - low)) return {low - 0.5, low + 0.5};
  return {low, high};
}

double fraction_across(const pixel_rectangle& viewport, int column) {
  const int width = viewport.right - viewport.left;
  return width > 0 ? static_cast<double>(column - viewport.left) / width : 0.5;
}

double fraction_up(const pixel_rectangle& viewport, int row) {
  const int height = viewport.bottom - viewport.top;
  return height > 0 ? static_cast<double>(viewport.bottom - row) / height : 0.5;
}

}  // namespace

map_view whole_map_view(const map_data& map) {
  const auto [x1, x2] = shown_range(map.x);
  const auto [y1, y2] = shown_range(map.y);
  return {x1, y1, x2, y2};
}

world_point world_point_at(const map_view& view, const pixel_rectangle& viewport,
                           pixel_point pixel) {
  return {view.x1 + fraction_across(viewport, pixel.x) * (view.x2 - view.x1),
          view.y1 + fraction_up(viewport, pixel.y) * (view.y2 - view.y1)};
}

std::optional<map_cell> cell_at_pixel(const map_data& map, const map_view& view,
                                      const pixel_rectangle& viewport, pixel_point pixel) {
  const cells_under_pixels cells =
      find_cells_under_pixels(map, viewport, world_of(view), {pixel.x, pixel.y, pixel.x, pixel.y});
  if (cells.columns.empty() || cells.rows.empty() || cells.columns[0] == no_cell ||
      cells.rows[0] == no_cell)
    return std::nullopt;
  return map_cell{cells.columns[0], cells.rows[0]};
}

}  // namespace mapplot
