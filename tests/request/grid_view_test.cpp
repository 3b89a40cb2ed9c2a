// grid_view::of, the checked way to view a caller's values as a grid: a
// buffer shorter than nx * ny, which the map operations would read past, is
// refused before any operation sees it.
#include <gtest/gtest.h>

#include <limits>
#include <mapplot/map_request.hpp>
#include <stdexcept>
#include <string>
#include <vector>

namespace mapplot {
namespace {

TEST(GridViewOf, ViewsTheFirstValuesOfAnyLongEnoughBuffer) {
  const std::vector<float> values{1, 2, 3, 4, 5, 6, 7};
  const auto exact = grid_view<float>::of(std::span(values).first(6), 2, 3);
  EXPECT_EQ(exact.data, values.data());
  EXPECT_EQ(exact.nx, 2u);
  EXPECT_EQ(exact.ny, 3u);
  // A longer buffer keeps its surplus out of the grid.
  const auto longer = grid_view<float>::of(values, 3, 2);
  EXPECT_EQ(longer.data, values.data());
  EXPECT_EQ(longer.nx * longer.ny, 6u);
  // An empty grid needs no values at all.
  const auto empty = grid_view<double>::of({}, 0, 5);
  EXPECT_EQ(empty.nx * empty.ny, 0u);
}

TEST(GridViewOf, RefusesAShortBufferAndAnOverflowingSize) {
  const std::vector<double> five(5, 1.0);
  try {
    (void)grid_view<double>::of(five, 2, 3);
    FAIL() << "a grid of 2 x 3 over 5 values was accepted";
  } catch (const std::invalid_argument& refusal) {
    EXPECT_EQ(std::string(refusal.what()), "grid_view: a grid of 2 x 3 values over only 5 values");
  }
  EXPECT_THROW((void)grid_view<double>::of({}, 1, 1), std::invalid_argument);

  // nx * ny would wrap around to 0 and accept an empty buffer.
  const std::size_t half = std::numeric_limits<std::size_t>::max() / 2 + 1;
  EXPECT_THROW((void)grid_view<float>::of({}, half, 2), std::invalid_argument);
  EXPECT_THROW((void)grid_view<float>::of({}, 2, half), std::invalid_argument);
}

}  // namespace
}  // namespace mapplot
