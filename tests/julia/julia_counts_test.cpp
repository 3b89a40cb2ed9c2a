#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <complex>
#include <cstring>
#include <limits>
#include <mapplot/julia_zoom.hpp>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "escape_windows.hpp"
#include "julia/julia_view.hpp"

namespace mapplot {
namespace {

// The counts of a view written out plainly: every pixel's start by the rule,
// one after another, through the plain evaluation.
std::vector<float> plain_view_counts(const julia_view& v) {
  std::vector<float> counts(v.columns * v.rows);
  for (std::size_t j = 0; j < v.rows; ++j) {
    const long double k_y = 2.0L * j + 1 - v.rows;
    const long double y = v.cy + v.ray_y * k_y / v.rows;
    for (std::size_t i = 0; i < v.columns; ++i) {
      const long double k_x = 2.0L * i + 1 - v.columns;
      const long double x = v.cx + v.ray_x * k_x / v.columns;
      counts[i + j * v.columns] = test_windows::plain_count(x, y, v.limit);
    }
  }
  return counts;
}

std::vector<float> computed_counts(const julia_view& v) {
  std::vector<float> counts(v.columns * v.rows, -99.0f);
  julia_counts(v.cx, v.cy, v.ray_x, v.ray_y, v.limit, v.columns, v.rows, counts);
  return counts;
}

// Points of the set: z* (the zoom's fixed point) and -i, -1 + i on the orbit
// of 0, each to full extended precision.
std::vector<std::complex<long double>> centres() {
  const std::complex<long double> fixed_point =
      (1.0L + std::sqrt(std::complex<long double>(1, -4))) / 2.0L;
  return {fixed_point, {0, -1}, {-1, 1}};
}

std::string describe(const julia_view& v) {
  char text[200];
  std::snprintf(text, sizeof text, "view (%.21Lg, %.21Lg) +- (%Lg, %Lg), limit %d, %zu x %zu", v.cx,
                v.cy, v.ray_x, v.ray_y, v.limit, v.columns, v.rows);
  return text;
}

// Random views from a half-width of 1 down to 1e-17 around points of the set,
// each with its own size and aspect, at the zoom's limit for its depth.
TEST(JuliaCounts, EveryCountOfRandomViewsIsThePlainCountOfItsStart) {
  std::mt19937_64 random(17);
  std::uniform_real_distribution<double> uniform(0.0, 1.0);
  std::size_t views = 0, fallback_views = 0;
  for (const std::complex<long double> centre : centres()) {
    for (int depth = 0; depth <= 17; depth += 1 + static_cast<int>(random() % 2)) {
      const long double ray = std::pow(10.0L, -depth) * (0.5L + uniform(random));
      // A centre off the point by a fraction of the view.
      const long double cx = centre.real() + ray * (uniform(random) - 0.5);
      const long double cy = centre.imag() + ray * (uniform(random) - 0.5);
      const julia_view view{cx,
                            cy,
                            ray,
                            ray * (0.5L + uniform(random)),
                            julia_zoom_limit(ray),
                            static_cast<std::size_t>(9 + random() % 40),
                            static_cast<std::size_t>(5 + random() % 30)};
      std::vector<float> counts(view.columns * view.rows, -99.0f);
      const julia_view_counts result = julia_counts_of_view(view, counts);
      ASSERT_TRUE(result.finished);
      EXPECT_EQ(test_windows::differing_cells(counts, plain_view_counts(view)), 0u)
          << describe(view);
      EXPECT_EQ(test_windows::differing_cells(computed_counts(view), counts), 0u) << describe(view);
      ++views;
      fallback_views += result.fallback_share > 0;
    }
  }
  // The deep views are computed by the extended loop, the shallow ones not.
  EXPECT_GT(fallback_views, 0u);
  EXPECT_LT(fallback_views, views);
}

TEST(JuliaCounts, ShortOrOverflowingSpansAreRefusedBeforeAnythingIsWritten) {
  std::vector<float> counts(99, -99.0f);
  EXPECT_THROW(julia_counts(0, 0, 1, 1, 20, 10, 10, counts), std::invalid_argument);
  EXPECT_THROW(julia_counts(0, 0, 1, 1, 20, std::size_t{1} << 33, std::size_t{1} << 33, counts),
               std::invalid_argument);
  EXPECT_THROW(julia_counts(0, 0, 1, 1, 20, 1, 100, std::span<float>()), std::invalid_argument);
  EXPECT_TRUE(std::all_of(counts.begin(), counts.end(), [](float f) { return f == -99.0f; }));
  // A view without pixels needs no values; a larger span keeps its extra ones.
  EXPECT_NO_THROW(julia_counts(0, 0, 1, 1, 20, 0, std::size_t{1} << 62, std::span<float>()));
  julia_counts(0, 0, 1, 1, 20, 9, 10, counts);
  EXPECT_EQ(counts[90], -99.0f);
  EXPECT_NE(counts[89], -99.0f);
}

TEST(JuliaCounts, ACancelledViewLeavesTheRowsItDidNotStart) {
  const julia_view view{-1, 1, 1e-3L, 1e-3L, 200, 40, 30};
  std::vector<float> counts(view.columns * view.rows, -99.0f);
  const std::atomic<bool> cancelled{true};
  EXPECT_FALSE(julia_counts_of_view(view, counts, &cancelled).finished);
  EXPECT_TRUE(std::all_of(counts.begin(), counts.end(), [](float f) { return f == -99.0f; }));

  const std::atomic<bool> going_on{false};
  const julia_view_counts result = julia_counts_of_view(view, counts, &going_on);
  EXPECT_TRUE(result.finished);
  EXPECT_EQ(test_windows::differing_cells(counts, plain_view_counts(view)), 0u);
  // Deep enough that every double start collapses onto its neighbours.
  const julia_view deep{-1, 1, 1e-17L, 1e-17L, 400, 20, 10};
  std::vector<float> deep_counts(200);
  EXPECT_EQ(julia_counts_of_view(deep, deep_counts).fallback_share, 1.0);
}

TEST(JuliaCounts, AViewIsResolvableWhileNeighbouringStartsDiffer) {
  const std::complex<long double> z = centres()[0];
  for (long double ray = 1; ray > 1e-21L; ray /= 3) {
    for (std::size_t pixels : {2u, 265u}) {
      const julia_view view{z.real(), z.imag(), ray, ray, 100, pixels, pixels};
      // Counted out plainly: two neighbours along either axis start alike.
      bool distinct = true;
      for (std::size_t i = 0; i + 1 < pixels; ++i) {
        const long double k = 2.0L * i + 1 - pixels;
        distinct = distinct && z.real() + ray * k / pixels != z.real() + ray * (k + 2) / pixels &&
                   z.imag() + ray * k / pixels != z.imag() + ray * (k + 2) / pixels;
      }
      EXPECT_EQ(julia_view_resolvable(view), distinct) << describe(view);
    }
  }
  // Near z* (|x| about 1.3, long double spacing 2^-63) the 265-pixel view
  // stops between half-widths of 1e-15 and 1e-17.
  EXPECT_TRUE(julia_view_resolvable({z.real(), z.imag(), 1e-15L, 1e-15L, 0, 265, 265}));
  EXPECT_FALSE(julia_view_resolvable({z.real(), z.imag(), 1e-17L, 1e-17L, 0, 265, 265}));
  EXPECT_FALSE(julia_view_resolvable({0, 0, 0, 1, 0, 2, 2}));
}

TEST(JuliaCounts, TheZoomLimitRuleGivesEveryFramesLimit) {
  for (int k = 1; k <= julia_frame_count; ++k) {
    EXPECT_EQ(julia_zoom_limit(julia_window(k).ray), julia_window(k).limit) << "frame " << k;
  }
  EXPECT_EQ(julia_zoom_limit(2), 14);
  EXPECT_EQ(julia_zoom_limit(1e-17L), 413);
  EXPECT_GT(julia_zoom_limit(1e-4000L), 90000);  // below the doubles' range
  EXPECT_THROW(julia_zoom_limit(0), std::invalid_argument);
  EXPECT_THROW(julia_zoom_limit(std::numeric_limits<long double>::quiet_NaN()),
               std::invalid_argument);
  EXPECT_THROW(julia_zoom_limit(std::numeric_limits<long double>::infinity()),
               std::invalid_argument);
}

}  // namespace
}  // namespace mapplot
