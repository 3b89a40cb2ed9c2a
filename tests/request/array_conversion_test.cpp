#include "request/array_conversion.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace mapplot {
namespace {

TEST(ArrayConversion, WideningIsExact) {
  const float values[] = {0.1f, -3.5f};
  const auto widened = widen(values);
  ASSERT_EQ(widened.size(), 2u);
  EXPECT_EQ(widened[0], 0.100000001490116119384765625);
  EXPECT_EQ(widened[1], -3.5);
}

TEST(ArrayConversion, NarrowingRoundsToNearestAndOverflowsToInfinity) {
  const double values[] = {0.1, 1e39, -1e39, 3.4028235e38};
  const auto narrowed = narrow(values);
  EXPECT_EQ(narrowed[0], 0.1f);
  EXPECT_TRUE(std::isinf(narrowed[1]) && narrowed[1] > 0);
  EXPECT_TRUE(std::isinf(narrowed[2]) && narrowed[2] < 0);
  EXPECT_EQ(narrowed[3], std::numeric_limits<float>::max());
}

TEST(ArrayConversion, FlatteningKeepsTheFirstIndexFastest) {
  // z(p, q) = 10 p + q on a 3 x 2 grid, stored first index fastest.
  const float grid[] = {11, 21, 31, 12, 22, 32};
  const auto flat = flatten<double>(grid_view<float>{grid, 3, 2});
  EXPECT_EQ(flat, (std::vector<double>{11, 21, 31, 12, 22, 32}));
}

TEST(ArrayConversion, EmptyGridsGiveEmptyVectors) {
  const double one = 1;
  EXPECT_TRUE(flatten<float>(grid_view<double>{&one, 0, 5}).empty());
  EXPECT_TRUE(flatten<float>(grid_view<double>{nullptr, 3, 3}).empty());
  EXPECT_TRUE(widen({}).empty());
}

}  // namespace
}  // namespace mapplot
