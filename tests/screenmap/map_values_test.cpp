#include "screenmap/map_values.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace mapplot {
namespace {

// Equal as stored: the sign of a zero counts, and every NaN matches NaN.
bool same_bits(double a, double b) {
  return (std::isnan(a) && std::isnan(b)) ||
         std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

// The scale's range of many short grids drawn from a pool rich in ties,
// signed zeros, infinities and NaN is the plain in-order scan's, to the bit.
template <class Value>
void check_against_the_scan_in_order() {
  using limits = std::numeric_limits<Value>;
  const std::vector<Value> pool{
      Value{0},           -Value{0},           Value{1},           Value{-1},
      Value{2.5},         limits::max(),       limits::lowest(),   limits::denorm_min(),
      limits::infinity(), -limits::infinity(), limits::quiet_NaN()};
  std::mt19937 random(7);
  for (int grid = 0; grid < 4000; ++grid) {
    std::vector<Value> values(random() % 70);
    // Some grids draw from a few pool values only, so that zeros are extremes.
    const std::size_t kinds = 1 + random() % pool.size();
    for (Value& value : values) value = pool[random() % kinds];
    const value_range scanned = finite_range(std::span<const Value>(values));
    const value_range found = scale_range(std::span<const Value>(values), false);
    ASSERT_TRUE(same_bits(found.min, scanned.min) && same_bits(found.max, scanned.max) &&
                found.finite_count == scanned.finite_count && found.total_count == values.size())
        << "grid " << grid << ": " << found.min << " " << found.max << " " << found.finite_count
        << ", the scan: " << scanned.min << " " << scanned.max << " " << scanned.finite_count;
  }
}

TEST(ScaleRange, FloatGridsGiveTheInOrderScansRangeToTheBit) {
  check_against_the_scan_in_order<float>();
}

TEST(ScaleRange, DoubleGridsGiveTheInOrderScansRangeToTheBit) {
  check_against_the_scan_in_order<double>();
}

}  // namespace
}  // namespace mapplot
