#pragma once

#include <array>
#include <span>

#include "psmap/pgplot_binding.hpp"
#include "request/console_warnings.hpp"

namespace mapplot {

// Where the grid lies along one axis. Only the first and last coordinates
// count: the cells are taken as evenly spaced between them.
struct axis_extent {
  coordinate_fault fault = coordinate_fault::none;
  float window_low = 0;   // first coordinate, where the world window starts
  float window_high = 1;  // last coordinate, where it ends
  float offset = 0;       // the transform's constant: where cell 0 would be centred
  float spacing = 1;      // distance between cell centres
  float outline_low = 0;  // where the outline's edges lie
  float outline_high = 1;
};

// The extent of a non-empty coordinate vector, its values rounded to single
// precision. A single coordinate has no spacing to derive, so its cell gets
// unit width centred on the coordinate, and window and outline span that
// cell. Coordinates that cannot place a map (not finite, no spread, or a
// span whose placement overflows single precision) come back with their
// fault and a window of 0 to 1 that PGPLOT can still draw a frame in.
template <class Real>
axis_extent extent_of(std::span<const Real> coordinates);

// Grid point (j, i), 1-based, centred at (offset x + j dx, offset y + i dy).
inline pgplot::transform image_transform(const axis_extent& x, const axis_extent& y) {
  return {x.offset, x.spacing, 0.0f, y.offset, 0.0f, y.spacing};
}

// The five corners of the outline polygon.
struct outline_polygon {
  std::array<float, 5> x;
  std::array<float, 5> y;
};
outline_polygon outline_of(const axis_extent& x, const axis_extent& y);

}  // namespace mapplot
