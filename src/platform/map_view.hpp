#pragma once

#include <cstddef>
#include <optional>

#include "internal_api.hpp"
#include "platform/map_data.hpp"
#include "platform/world_transform.hpp"

namespace mapplot {

// The view arithmetic of a map of values, in pixels of a viewport and world
// coordinates: the whole map's extent, the world point under a pixel, and
// which cell a pixel shows. The user's zoom and pan live in map_viewing.

// The world shown across a viewport, y upwards: x1 at its left edge, x2 at
// its right, y1 at its bottom, y2 at its top.
struct map_view {
  double x1 = 0;
  double y1 = 0;
  double x2 = 1;
  double y2 = 1;
  friend bool operator==(const map_view&, const map_view&) = default;
};

inline world_window world_of(const map_view& view) {
  return {true, view.x1, view.y1, view.x2, view.y2};
}

// The whole map: the finite range of its coordinates; a unit span where they
// have none, so that every view has an extent.
map_view whole_map_view(const map_data& map);

// The world point under pixel `pixel` of `viewport`.
struct world_point {
  double x;
  double y;
};
world_point world_point_at(const map_view& view,
                                                const pixel_rectangle& viewport, pixel_point pixel);

// The cell a pixel of the viewport shows, as drawn: the same cell the map's
// pixels come from.
struct map_cell {
  std::size_t column;
  std::size_t row;
};
std::optional<map_cell> cell_at_pixel(const map_data& map,
                                                           const map_view& view,
                                                           const pixel_rectangle& viewport,
                                                           pixel_point pixel);

}  // namespace mapplot
