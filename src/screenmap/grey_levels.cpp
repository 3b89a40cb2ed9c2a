#include "screenmap/grey_levels.hpp"

#include <algorithm>
#include <cmath>

namespace mapplot {

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

}  // namespace mapplot
