#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <span>

#include "request/value_range.hpp"

namespace mapplot {

// Replaces every value by its grey level (v - min) * 255 / (max - min), so the
// finite values span 0..255. Non-finite values stay non-finite. `range` must
// have max > min.
void scale_to_grey_levels(std::span<double> values, const value_range& range);

// The colour of one map cell, as set_color_rgb takes it.
struct cell_rgb {
  int red;
  int green;
  int blue;
  friend bool operator==(const cell_rgb&, const cell_rgb&) = default;
};

// The map background: a cell whose value is NaN shows it, so missing data
// stays visible.
inline constexpr cell_rgb map_background{0, 0, 128};

// The colour of a cell with grey level `level`: the nearest integer, halves
// away from zero, as a grey; -inf black, +inf white, NaN the map background.
// Inline: it runs for every cell of every map.
inline cell_rgb cell_color(double level) {
  if (std::isnan(level)) return map_background;
  const int grey = static_cast<int>(std::round(std::clamp(level, 0.0, 255.0)));
  return {grey, grey, grey};
}

}  // namespace mapplot
