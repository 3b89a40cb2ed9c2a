#pragma once

#include <span>
#include <vector>

#include "platform/window_system.hpp"

namespace mapplot {

// The map's cells as the windowing layer fills them, in drawing order (rows
// from the first y, cells from the first x): each cell's rectangle between
// its edges, converted to window pixels through `viewport` and `world`, in the
// colour of its grey level. Edges are converted once per column and once per
// row, giving exactly the pixels a conversion of each corner would; a cell
// with an edge that has no pixel (not finite) is left out. `levels` holds at
// least x.size() * y.size() values; x and y are not empty. Writes into
// `cells`, whose storage is reused from call to call.
void make_map_cells(std::span<const double> x, std::span<const double> y,
                    std::span<const double> levels, const pixel_rectangle& viewport,
                    const world_window& world, std::vector<pixel_cell>& cells);

}  // namespace mapplot
