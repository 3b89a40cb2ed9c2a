#pragma once

#include <algorithm>

#include "platform/viewing/map_viewing.hpp"
#include "platform/world_transform.hpp"

namespace mapplot {

// Where map_widget puts its parts, in device pixels: the map square at the
// top left, the legend beside it (or under it, where the widget is tall
// enough for that to give a larger map), and the strip along the bottom, in
// room of its own.
struct map_widget_layout {
  pixel_rectangle map;  // the map's viewport; right < left when there is no room for a map
  int legend_left;
  int legend_top;
  int strip_top;
};

// The legend's lines: three groups of a label, its minimum and its maximum,
// a blank line between groups.
inline constexpr int legend_line_count = 11;

// For a widget of width x height device pixels whose text lines are
// `line_height` high, with `legend_width` for the legend and `margin` around
// the parts.
inline map_widget_layout lay_out_map_widget(int width, int height, int line_height,
                                            int legend_width, int margin) {
  const int strip_top = height - strip_line_count * line_height - margin;
  const int legend_height = legend_line_count * line_height;
  const int room = strip_top - 2 * margin;  // for the map, above the strip
  const int beside = std::min(width - legend_width - 3 * margin, room);
  const int under = std::min(width - 2 * margin, room - legend_height - margin);
  const bool legend_under = under > beside && width - 2 * margin >= legend_width;
  const int side = std::max(legend_under ? under : beside, 0);
  const pixel_rectangle map{margin, margin, margin + side - 1, margin + side - 1};
  if (legend_under) return {map, margin, 2 * margin + side, strip_top};
  return {map, 2 * margin + side, margin, strip_top};
}

// The smallest widget whose layout keeps a map `smallest_side` pixels wide
// with the legend and the strip beside and under it, all in full.
inline pixel_point smallest_map_widget(int line_height, int legend_width, int margin,
                                       int smallest_side) {
  return {3 * margin + legend_width + smallest_side,
          3 * margin + std::max(legend_line_count * line_height, smallest_side) +
              strip_line_count * line_height};
}

}  // namespace mapplot
