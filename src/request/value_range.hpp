#pragma once

#include <cstddef>
#include <span>

#include "internal_api.hpp"

namespace mapplot {

// The smallest and largest finite value of a set, and how many of its values
// are finite; min and max are NaN when none is.
struct value_range {
  double min;
  double max;
  std::size_t finite_count;
  std::size_t total_count;

  bool has_finite_values() const { return finite_count > 0; }
  std::size_t not_finite_count() const { return total_count - finite_count; }
};

MAPPLOT_INTERNAL_API value_range finite_range(std::span<const double> values);
value_range finite_range(std::span<const float> values);

}  // namespace mapplot
