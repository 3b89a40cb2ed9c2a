#include "screenmap/map_values.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "request/logarithm.hpp"

namespace mapplot {
namespace {

// Logarithms of single values are those of the values widened to double, as
// the scale reads them when drawing.
template <class Value>
value_range logarithm_range(std::span<const Value> values) {
  constexpr double not_a_number = std::numeric_limits<double>::quiet_NaN();
  value_range range{not_a_number, not_a_number, 0, values.size()};
  for (const Value value : values) {
    const double logarithm = extended_log10(static_cast<double>(value));
    if (!std::isfinite(logarithm)) continue;
    range.min = range.finite_count == 0 ? logarithm : std::min(range.min, logarithm);
    range.max = range.finite_count == 0 ? logarithm : std::max(range.max, logarithm);
    ++range.finite_count;
  }
  return range;
}

// The finite range as request's finite_range finds it (the first of equal
// extremes kept), written without branches so that the compiler can take
// many values at a time: a grid of a hundred million values is read in the
// time memory takes to deliver it.
template <class Value>
value_range linear_range(std::span<const Value> values) {
  constexpr Value largest = std::numeric_limits<Value>::max();
  constexpr Value infinity = std::numeric_limits<Value>::infinity();
  Value low = infinity;
  Value high = -infinity;
  std::size_t finite_count = 0;
  for (const Value value : values) {
    const bool finite = std::fabs(value) <= largest;  // false for NaN too
    low = finite && value < low ? value : low;
    high = finite && value > high ? value : high;
    finite_count += finite;
  }
  if (finite_count == 0) {
    constexpr double not_a_number = std::numeric_limits<double>::quiet_NaN();
    return {not_a_number, not_a_number, 0, values.size()};
  }
  return {static_cast<double>(low), static_cast<double>(high), finite_count, values.size()};
}

}  // namespace

template <class Value>
value_range scale_range(std::span<const Value> values, bool logscale) {
  return logscale ? logarithm_range(values) : linear_range(values);
}

template <class Value>
std::shared_ptr<const map_data> make_map_data(std::vector<double> x, std::vector<double> y,
                                              std::span<const Value> values,
                                              const value_range& range, bool logscale) {
  const std::size_t cells = x.size() * y.size();
  auto map = std::make_shared<map_data>();
  map->values = map_values<Value>(values.begin(), values.begin() + cells);
  map->x = std::move(x);
  map->y = std::move(y);
  map->zmin = range.min;
  map->zmax = range.max;
  map->logscale = logscale;
  return map;
}

template value_range scale_range(std::span<const float>, bool);
template value_range scale_range(std::span<const double>, bool);
template std::shared_ptr<const map_data> make_map_data(std::vector<double>, std::vector<double>,
                                                       std::span<const float>, const value_range&,
                                                       bool);
template std::shared_ptr<const map_data> make_map_data(std::vector<double>, std::vector<double>,
                                                       std::span<const double>, const value_range&,
                                                       bool);

}  // namespace mapplot
