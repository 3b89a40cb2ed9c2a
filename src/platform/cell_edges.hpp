#pragma once

#include <span>
#include <vector>

#include "internal_api.hpp"

namespace mapplot {

// The cells of one direction: interior cells end halfway to the next
// coordinate, the first and last are half cells, so the raster covers exactly
// [first, last] of the coordinates.
struct cell_edges {
  std::vector<double> upper;  // upper[i] ends cell i; the last is the last coordinate
  double first;               // where cell 0 begins

  double lower(std::size_t cell) const { return cell == 0 ? first : upper[cell - 1]; }
};

// `coordinates` must not be empty.
MAPPLOT_INTERNAL_API cell_edges make_cell_edges(std::span<const double> coordinates);

}  // namespace mapplot
