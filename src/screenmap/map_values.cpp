#include "screenmap/map_values.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
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

// What the range takes of a value type: vectors of it as wide as the
// baseline instruction set's registers, and the mask that its comparisons give.
template <class Value>
struct range_lanes;
template <>
struct range_lanes<float> {
  using vector = float __attribute__((vector_size(16)));
  using mask = std::int32_t __attribute__((vector_size(16)));
  static constexpr std::int32_t exponent = 0x7f800000;
};
template <>
struct range_lanes<double> {
  using vector = double __attribute__((vector_size(16)));
  using mask = std::int64_t __attribute__((vector_size(16)));
  static constexpr std::int64_t exponent = 0x7ff0000000000000;
};

// The finite range as request's finite_range finds it (the first of equal
// extremes kept), a register of values at a time: a grid of a hundred million
// values is read in about the time memory takes to deliver it.
template <class Value>
value_range linear_range(std::span<const Value> values) {
  using vector = typename range_lanes<Value>::vector;
  using mask = typename range_lanes<Value>::mask;
  constexpr auto exponent = range_lanes<Value>::exponent;
  constexpr std::size_t width = sizeof(vector) / sizeof(Value);
  constexpr Value infinity = std::numeric_limits<Value>::infinity();

  vector low = vector{} + infinity;
  vector high = vector{} - infinity;
  std::size_t finite_count = 0;
  const std::size_t whole = values.size() / width * width;
  // A lane's count stays within its integer over a block; the sum is taken per block.
  constexpr std::size_t block = width << 24;
  for (std::size_t first = 0; first < whole; first += block) {
    const std::size_t last = std::min(whole, first + block);
    mask counts{};
    for (std::size_t i = first; i < last; i += width) {
      vector value;
      std::memcpy(&value, values.data() + i, sizeof value);
      // All exponent bits set: infinite or NaN. Masks are -1 where true.
      const mask finite = ((mask)value & exponent) != exponent;
      const mask lower = finite & (value < low);
      const mask higher = finite & (value > high);
      low = (vector)(((mask)value & lower) | ((mask)low & ~lower));
      high = (vector)(((mask)value & higher) | ((mask)high & ~higher));
      counts -= finite;
    }
    for (std::size_t lane = 0; lane < width; ++lane)
      finite_count += static_cast<std::size_t>(counts[lane]);
  }

  Value lowest = infinity;
  Value highest = -infinity;
  for (std::size_t lane = 0; lane < width; ++lane) {
    lowest = std::min(lowest, static_cast<Value>(low[lane]));
    highest = std::max(highest, static_cast<Value>(high[lane]));
  }
  for (std::size_t i = whole; i < values.size(); ++i) {
    const Value value = values[i];
    if (!std::isfinite(value)) continue;
    lowest = std::min(lowest, value);
    highest = std::max(highest, value);
    ++finite_count;
  }
  if (finite_count == 0) {
    constexpr double not_a_number = std::numeric_limits<double>::quiet_NaN();
    return {not_a_number, not_a_number, 0, values.size()};
  }
  // The lanes lose the order in which equal extremes came. Only +0 and -0
  // differ while equal, and a scan in order keeps the first zero it meets.
  const auto first_zero = [&] { return *std::find(values.begin(), values.end(), Value{0}); };
  if (lowest == 0) lowest = first_zero();
  if (highest == 0) highest = first_zero();
  return {static_cast<double>(lowest), static_cast<double>(highest), finite_count, values.size()};
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
  const std::size_t cells = values.empty() ? 0 : x.size() * y.size();
  auto map = std::make_shared<map_data>();
  map->values = map_values<Value>(values.begin(), values.begin() + cells);
  map->x = std::move(x);
  map->y = std::move(y);
  map->zmin = range.min;
  map->zmax = range.max;
  map->logscale = logscale;
  return map;
}

template MAPPLOT_INTERNAL_API value_range scale_range(std::span<const float>, bool);
template MAPPLOT_INTERNAL_API value_range scale_range(std::span<const double>, bool);
template std::shared_ptr<const map_data> make_map_data(std::vector<double>, std::vector<double>,
                                                       std::span<const float>, const value_range&,
                                                       bool);
template std::shared_ptr<const map_data> make_map_data(std::vector<double>, std::vector<double>,
                                                       std::span<const double>, const value_range&,
                                                       bool);

}  // namespace mapplot
