#pragma once

#include "platform/world_transform.hpp"

namespace mapplot {

// Where map_widget puts its parts, in device pixels: the map square at the
// top left, the legend to its right, the readout lines under it.
struct map_widget_layout {
  pixel_rectangle map;  // the map's viewport; right < left when there is no room for a map
  int legend_left;
  int readout_top;
};

// For a widget of width x height device pixels whose text lines are
// `line_height` high, with `legend_width` for the legend and `margin` around
// the parts.
inline map_widget_layout lay_out_map_widget(int width, int height, int line_height,
                                            int legend_width, int margin) {
  const int readout_top = height - 2 * line_height - margin;
  int side = readout_top - 2 * margin;
  if (width - legend_width - 3 * margin < side) side = width - legend_width - 3 * margin;
  if (side < 0) side = 0;
  return {{margin, margin, margin + side - 1, margin + side - 1}, 2 * margin + side, readout_top};
}

}  // namespace mapplot
