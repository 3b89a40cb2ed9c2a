#pragma once

#include <array>
#include <span>

#include "psmap/pgplot_binding.hpp"

namespace mapplot {

// Where the grid lies along one axis. Only the first and last coordinates
// count: the cells are taken as evenly spaced between them.
struct axis_extent {
  float window_low;   // first coordinate, where the world window starts
  float window_high;  // last coordinate, where it ends
  float spacing;      // distance between cell centres
  float outline_low;  // grid index (1-based) of the outline's edges
  float outline_high;
};

// The extent of a non-empty coordinate vector. A single coordinate has no
// spacing to derive, so its cell gets unit width centred on the coordinate,
// and window and outline span that cell.
axis_extent extent_of(std::span<const float> coordinates);

// Grid point (j, i), 1-based, centred at (x first + (j - 1) dx, y first + (i - 1) dy).
pgplot::transform image_transform(const axis_extent& x, const axis_extent& y);

// The five corners of the outline polygon as the transform places them.
struct outline_polygon {
  std::array<float, 5> x;
  std::array<float, 5> y;
};
outline_polygon outline_of(const pgplot::transform& tr, const axis_extent& x, const axis_extent& y);

}  // namespace mapplot
