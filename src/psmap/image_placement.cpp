#include "psmap/image_placement.hpp"

#include <cmath>

namespace mapplot {
namespace {

// Below this span PGPLOT's scale from world to device units would overflow
// single precision; such coordinates are as good as equal.
constexpr long double narrowest_span = 1.0e-30L;

axis_extent faulty(coordinate_fault fault) {
  axis_extent extent;
  extent.fault = fault;
  return extent;
}

bool all_finite(const axis_extent& extent) {
  for (const float value : {extent.window_low, extent.window_high, extent.offset, extent.spacing,
                            extent.outline_low, extent.outline_high})
    if (!std::isfinite(value)) return false;
  return true;
}

}  // namespace

template <class Real>
axis_extent extent_of(std::span<const Real> coordinates) {
  for (const Real coordinate : coordinates)
    if (!std::isfinite(static_cast<float>(coordinate))) return faulty(coordinate_fault::not_finite);

  const long double first = static_cast<float>(coordinates.front());
  const long double last = static_cast<float>(coordinates.back());
  const bool single = coordinates.size() == 1;
  const long double low = single ? first - 0.5L : first;
  const long double high = single ? first + 0.5L : last;
  const long double spacing =
      single ? 1.0L : (last - first) / static_cast<long double>(coordinates.size() - 1);
  // The cells' index range of the outline: a single cell spans 0.5 to 1.5.
  const long double outline_low = single ? 0.5L : 1.0L;
  const long double outline_high = single ? 1.5L : static_cast<long double>(coordinates.size());
  const long double offset = first - spacing;

  axis_extent extent;
  extent.window_low = static_cast<float>(low);
  extent.window_high = static_cast<float>(high);
  extent.spacing = static_cast<float>(spacing);
  extent.offset = static_cast<float>(offset);
  // Placed as PGPLOT will place them, from the transform in single precision.
  extent.outline_low = static_cast<float>(extent.offset + extent.spacing * outline_low);
  extent.outline_high = static_cast<float>(extent.offset + extent.spacing * outline_high);

  const long double span = static_cast<long double>(extent.window_high) - extent.window_low;
  if (!std::isfinite(extent.window_high - extent.window_low) || !all_finite(extent))
    return faulty(coordinate_fault::too_wide);
  if (std::fabs(span) < narrowest_span || extent.spacing == 0)
    return faulty(coordinate_fault::no_spread);
  return extent;
}

template axis_extent extent_of(std::span<const float>);
template axis_extent extent_of(std::span<const double>);

outline_polygon outline_of(const axis_extent& x, const axis_extent& y) {
  const float left = x.outline_low, right = x.outline_high;
  const float bottom = y.outline_low, top = y.outline_high;
  return {.x = {left, left, right, right, left}, .y = {bottom, top, top, bottom, bottom}};
}

}  // namespace mapplot
