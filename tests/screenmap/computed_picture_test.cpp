// Which value of a computed picture a point of the plane reads, at the
// picture's edges above all: a point on the right edge must not read the
// next row's first value, nor one past the last row.
#include "screenmap/computed_picture.hpp"

#include <gtest/gtest.h>

#include <numeric>

namespace mapplot {
namespace {

// 4 x 3 values over x 0 .. 4 and y 0 .. 3, each value its own index; kept in
// a vector of exactly that size, so that a read past it is one past the heap
// block the sanitizers watch.
computed_picture numbered_picture(long double x1, long double x2) {
  computed_picture picture{{x1, x2, 0, 3, 4, 3, false}, std::vector<float>(12), 0, 11};
  std::iota(picture.values.begin(), picture.values.end(), 0.0f);
  return picture;
}

float value_at(const computed_picture& picture, long_point point) {
  const auto index = value_index(picture, point);
  return index ? picture.values[*index] : -1;
}

TEST(ComputedPicture, EdgesBelongToThePictureOnlyOnTheLeftAndAtTheBottom) {
  const computed_picture picture = numbered_picture(0, 4);
  EXPECT_EQ(value_at(picture, {0, 0}), 0);
  EXPECT_EQ(value_at(picture, {3.5L, 1.5L}), 7);
  EXPECT_EQ(value_at(picture, {3.999L, 2.999L}), 11);
  // The right edge of the middle row and of the top row, and the top edge.
  EXPECT_EQ(value_at(picture, {4, 1.5L}), -1);
  EXPECT_EQ(value_at(picture, {4, 2.5L}), -1);
  EXPECT_EQ(value_at(picture, {2.5L, 3}), -1);
  EXPECT_EQ(value_at(picture, {-0.001L, 1}), -1);
  EXPECT_EQ(value_at(picture, {1, -0.001L}), -1);
}

TEST(ComputedPicture, AViewFromRightToLeftCountsColumnsFromItsLeftEdge) {
  const computed_picture picture = numbered_picture(4, 0);
  EXPECT_EQ(value_at(picture, {3.5L, 0.5L}), 0);
  EXPECT_EQ(value_at(picture, {0.5L, 2.5L}), 11);
  EXPECT_EQ(value_at(picture, {0, 2.5L}), -1);
}

TEST(ComputedPicture, PixelCentresReadTheirOwnValueAndFewerValuesAreNotReadPast) {
  computed_picture picture = numbered_picture(0, 4);
  // The map square of 4 x 3 pixels at (10, 20), rows counted downwards.
  const pixel_rectangle map{10, 20, 13, 22};
  for (int row = map.top; row <= map.bottom; ++row) {
    for (int column = map.left; column <= map.right; ++column)
      EXPECT_EQ(value_at(picture, function_point_at(picture.viewport, map, {column, row})),
                static_cast<float>(column - map.left + (map.bottom - row) * 4));
  }
  picture.values.resize(10);
  EXPECT_EQ(value_at(picture, {3.5L, 2.5L}), -1);
  EXPECT_EQ(value_at(picture, {1.5L, 2.5L}), 9);
}

}  // namespace
}  // namespace mapplot
