#include "screenmap/computed_picture.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

namespace mapplot {

long_point function_point_at(const map_viewport& view, const pixel_rectangle& map,
                             pixel_point pixel) {
  const long double columns = map.right - map.left + 1;
  const long double rows = map.bottom - map.top + 1;
  const long double i = pixel.x - map.left;
  const long double j = map.bottom - pixel.y;
  return {view.x1 + (view.x2 - view.x1) * (2 * i + 1) / (2 * columns),
          view.y1 + (view.y2 - view.y1) * (2 * j + 1) / (2 * rows)};
}

std::optional<std::size_t> value_index(const computed_picture& picture, long_point point) {
  const map_viewport& v = picture.viewport;
  const long double u = (point.x - v.x1) / (v.x2 - v.x1) * v.columns;
  const long double w = (point.y - v.y1) / (v.y2 - v.y1) * v.rows;
  // u == columns is the right edge: a value there would be the next row's first.
  if (!(u >= 0 && u < v.columns && w >= 0 && w < v.rows)) return std::nullopt;
  const std::size_t index = static_cast<std::size_t>(u) + static_cast<std::size_t>(w) * v.columns;
  // A function that gave fewer values than its viewport has pixels is not read past them.
  if (index >= picture.values.size()) return std::nullopt;
  return index;
}

void find_value_range(computed_picture& picture) {
  picture.min = std::numeric_limits<double>::infinity();
  picture.max = -std::numeric_limits<double>::infinity();
  for (const float value : picture.values) {
    if (!std::isfinite(value)) continue;
    picture.min = std::min<double>(picture.min, value);
    picture.max = std::max<double>(picture.max, value);
  }
}

}  // namespace mapplot
