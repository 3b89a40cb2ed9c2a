#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <mapplot/julia_zoom.hpp>
#include <stdexcept>
#include <vector>

#include "escape_windows.hpp"

namespace mapplot {
namespace {

constexpr std::size_t side = 121;

struct frame_arrays {
  std::vector<float> X = std::vector<float>(side);
  std::vector<float> Y = std::vector<float>(side);
  std::vector<float> A = std::vector<float>(side * side);
};

// The coordinates written out the plain way, and the counts of the plain
// one-cell-at-a-time evaluation the escape tests share.
frame_arrays reference_grid(const julia_frame& f) {
  frame_arrays out;
  for (int p = -60; p <= 60; ++p)
    out.X[p + 60] = static_cast<float>((long double)p * f.ray / 60 + f.cx);
  for (int q = -60; q <= 60; ++q)
    out.Y[q + 60] = static_cast<float>((long double)q * f.ray / 60 + f.cy);
  out.A = test_windows::plain_counts(f);
  return out;
}

frame_arrays computed_grid(const julia_frame& frame) {
  frame_arrays out;
  julia_grid(frame, out.X, out.Y, out.A);
  return out;
}

bool same_bits(const std::vector<float>& a, const std::vector<float>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

TEST(JuliaGrid, EveryFrameMatchesThePlainEvaluationBitForBit) {
  for (int k = 1; k <= julia_frame_count; ++k) {
    const julia_frame frame = julia_window(k);
    const frame_arrays expected = reference_grid(frame);
    const frame_arrays actual = computed_grid(frame);
    ASSERT_TRUE(same_bits(actual.X, expected.X)) << "X of frame " << k;
    ASSERT_TRUE(same_bits(actual.Y, expected.Y)) << "Y of frame " << k;
    ASSERT_TRUE(same_bits(actual.A, expected.A)) << "A of frame " << k;

    const auto [low, high] = std::minmax_element(actual.A.begin(), actual.A.end());
    EXPECT_GE(*low, -2.0f) << "frame " << k;
    EXPECT_LE(*high, static_cast<float>(frame.limit + 1)) << "frame " << k;
  }
}

TEST(JuliaGrid, FirstFrameSpansTheWindowAndPairsAWithXAndY) {
  const julia_frame frame = julia_window(1);
  const frame_arrays grid = computed_grid(frame);
  EXPECT_FLOAT_EQ(grid.X[0], frame.cx - frame.ray);
  EXPECT_FLOAT_EQ(grid.X[120], frame.cx + frame.ray);
  EXPECT_FLOAT_EQ(grid.Y[0], frame.cy - frame.ray);
  EXPECT_FLOAT_EQ(grid.Y[60], frame.cy);
  // The set is not symmetric about the real axis, so swapped indices differ.
  EXPECT_FALSE(std::equal(grid.A.begin(), grid.A.begin() + side, grid.A.begin() + 60 * side));
}

TEST(JuliaGrid, LastFrameKeepsStartPointsApartWhereXRepeats) {
  const frame_arrays grid = computed_grid(julia_window(335));
  // The window is narrower than the single-precision spacing near z*...
  std::vector<float> distinct_x = grid.X;
  EXPECT_LT(std::unique(distinct_x.begin(), distinct_x.end()) - distinct_x.begin(), 10);
  // ...yet neighbouring cells under one X value still get different counts,
  // because the start point's real part is not rounded to single precision.
  int differing_neighbours = 0;
  for (std::size_t q = 0; q < side; ++q) {
    for (std::size_t p = 0; p + 1 < side; ++p) {
      if (grid.X[p] == grid.X[p + 1] && grid.A[p + q * side] != grid.A[p + 1 + q * side]) {
        ++differing_neighbours;
      }
    }
  }
  EXPECT_GT(differing_neighbours, 0);
}

// Windows no frame of the zoom reaches, each pinning one end of the count.
TEST(JuliaGrid, CountsFromMinusTwoAndStopsAtLimitPlusOne) {
  // Every start point is z = 0, whose orbit 0, i, -1+i, -i, ... stays bounded.
  EXPECT_EQ(computed_grid({0, 0, 0, 15}).A, std::vector<float>(side * side, 16.0f));
  // |z0| = 255 escapes after one step: the first count, -2.
  EXPECT_EQ(computed_grid({255, 0, 0, 15}).A, std::vector<float>(side * side, -2.0f));
  // |z0| >= 256 keeps the cleared value.
  EXPECT_EQ(computed_grid({256, 0, 0, 15}).A, std::vector<float>(side * side, 0.0f));
  // X(p) = p + 255: p = 1 starts exactly at modulus 256 (escaped, 0) beside
  // p = 0, which escapes after one step.
  const frame_arrays edge = computed_grid({255, 0, 60, 15});
  EXPECT_EQ(edge.A[61 + 60 * side], 0.0f);
  EXPECT_EQ(edge.A[60 + 60 * side], -2.0f);
  EXPECT_TRUE(same_bits(edge.A, reference_grid({255, 0, 60, 15}).A));
  // A limit below -3 leaves no step at all.
  EXPECT_EQ(computed_grid({0, 0, 0, -4}).A, std::vector<float>(side * side, 0.0f));
}

TEST(JuliaGrid, NonFiniteWindowsFollowThePlainEvaluation) {
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  for (const julia_frame frame :
       {julia_frame{nan, 0, 1, 5}, julia_frame{0, 0, inf, 5}, julia_frame{0, 0, 1e30f, 5}}) {
    const frame_arrays expected = reference_grid(frame);
    const frame_arrays actual = computed_grid(frame);
    EXPECT_TRUE(same_bits(actual.A, expected.A)) << frame.cx << " " << frame.ray;
  }
  // With an infinite ray, p = 0 gives a NaN start point that never counts as
  // escaped, beside p = 1 which escapes at once.
  const frame_arrays grid = computed_grid({0, 0, inf, 5});
  EXPECT_EQ(grid.A[60 + 30 * side], 6.0f);
  EXPECT_EQ(grid.A[61 + 30 * side], 0.0f);
}

TEST(JuliaGrid, ShortSpansAreRefusedBeforeAnythingIsWritten) {
  const julia_frame frame = julia_window(1);
  const float untouched = -99.0f;
  struct shape {
    std::size_t x, y, a;
  };
  for (const shape s :
       {shape{120, 121, 14641}, shape{121, 0, 14641}, shape{121, 121, 14640}, shape{0, 0, 0}}) {
    std::vector<float> X(s.x, untouched), Y(s.y, untouched), A(s.a, untouched);
    EXPECT_THROW(julia_grid(frame, X, Y, A), std::invalid_argument);
    const auto all_untouched = [&](const std::vector<float>& v) {
      return std::all_of(v.begin(), v.end(), [&](float f) { return f == untouched; });
    };
    EXPECT_TRUE(all_untouched(X) && all_untouched(Y) && all_untouched(A));
  }
}

TEST(JuliaGrid, LongerSpansAreFilledOnlyInTheirFirstCells) {
  std::vector<float> X(130, -99.0f), Y(125, -99.0f), A(side * side + 7, -99.0f);
  julia_grid(julia_window(1), X, Y, A);
  const frame_arrays expected = reference_grid(julia_window(1));
  EXPECT_TRUE(std::equal(expected.X.begin(), expected.X.end(), X.begin()));
  EXPECT_TRUE(std::equal(expected.A.begin(), expected.A.end(), A.begin()));
  EXPECT_TRUE(std::all_of(X.begin() + 121, X.end(), [](float f) { return f == -99.0f; }));
  EXPECT_TRUE(std::all_of(Y.begin() + 121, Y.end(), [](float f) { return f == -99.0f; }));
  EXPECT_TRUE(std::all_of(A.begin() + side * side, A.end(), [](float f) { return f == -99.0f; }));
}

}  // namespace
}  // namespace mapplot
