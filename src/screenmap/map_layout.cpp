#include "screenmap/map_layout.hpp"

namespace mapplot {

map_layout choose_map_layout(int winsize, bool ownwindow) {
  if (winsize >= 3) return {1005, 662};
  if (winsize == 2) return {741, 451};
  return ownwindow ? map_layout{580, 270} : map_layout{580, 290};
}

}  // namespace mapplot
