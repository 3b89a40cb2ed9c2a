#include "screenmap/grey_levels.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

namespace mapplot {

value_range finite_range(std::span<const double> values) {
  constexpr double not_a_number = std::numeric_limits<double>::quiet_NaN();
  value_range range{not_a_number, not_a_number, 0, values.size()};
  for (const double value : values) {
    if (!std::isfinite(value)) continue;
    if (range.finite_count == 0) {
      range.min = value;
      range.max = value;
    } else {
      range.min = std::min(range.min, value);
      range.max = std::max(range.max, value);
    }
    ++range.finite_count;
  }
  return range;
}

void scale_to_grey_levels(std::span<double> values, const value_range& range) {
  const double spread = range.max - range.min;
  if (std::isfinite(spread)) {
    const double factor = 255 / spread;
    for (double& value : values) value = (value - range.min) * factor;
    return;
  }
  // The range exceeds the double range: halving every term keeps the finite
  // values finite instead of turning them into inf * 0 = NaN.
  const double half_min = range.min * 0.5;
  const double factor = 255 / (range.max * 0.5 - half_min);
  for (double& value : values) value = (value * 0.5 - half_min) * factor;
}

cell_rgb cell_color(double level) {
  if (std::isnan(level)) return map_background;
  const int grey = static_cast<int>(std::round(std::clamp(level, 0.0, 255.0)));
  return {grey, grey, grey};
}

}  // namespace mapplot
