#pragma once

namespace mapplot {

// The pixel size the renderer lays its drawing out in; it never resizes the
// window itself.
struct map_layout {
  int width;
  int height;
};

map_layout choose_map_layout(int winsize, bool ownwindow);

}  // namespace mapplot
