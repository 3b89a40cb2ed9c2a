#include "request/value_range.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

namespace mapplot {
namespace {

template <class Value>
value_range range_of(std::span<const Value> values) {
  constexpr double not_a_number = std::numeric_limits<double>::quiet_NaN();
  value_range range{not_a_number, not_a_number, 0, values.size()};
  for (const Value value : values) {
    if (!std::isfinite(value)) continue;
    if (range.finite_count == 0) {
      range.min = value;
      range.max = value;
    } else {
      range.min = std::min<double>(range.min, value);
      range.max = std::max<double>(range.max, value);
    }
    ++range.finite_count;
  }
  return range;
}

}  // namespace

value_range finite_range(std::span<const double> values) {
  return range_of(values);
}

value_range finite_range(std::span<const float> values) {
  return range_of(values);
}

}  // namespace mapplot
