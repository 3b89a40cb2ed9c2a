#include <gtest/gtest.h>

#include <cmath>
#include <mapplot/julia_zoom.hpp>
#include <stdexcept>

#include "textout/real_field.hpp"

namespace mapplot {
namespace {

TEST(JuliaFixedPoint, IsTheRepellingFixedPointOfZSquaredPlusI) {
  const std::complex<float> z = julia_fixed_point();
  EXPECT_NEAR(z.real(), 1.3002425f, 1e-6f);
  EXPECT_NEAR(z.imag(), -0.6248105f, 1e-6f);
  // z^2 + i = z, and the derivative 2z leaves the unit disc.
  const std::complex<double> zd(z.real(), z.imag());
  EXPECT_LT(std::abs(zd * zd + std::complex<double>(0, 1) - zd), 1e-6);
  EXPECT_GT(2 * std::abs(zd), 1.0);
}

TEST(JuliaWindow, FirstFrame) {
  const julia_frame frame = julia_window(1);
  EXPECT_NEAR(frame.cx, 0.1268, 1e-4);
  EXPECT_NEAR(frame.cy, -0.0609, 1e-4);
  EXPECT_EQ(frame.ray, 1.9f);
  EXPECT_EQ(frame.limit, 15);
}

TEST(JuliaWindow, LastFrameClosesInOnTheFixedPoint) {
  const julia_frame frame = julia_window(335);
  const std::complex<float> z = julia_fixed_point();
  EXPECT_NEAR(frame.cx, z.real(), 1e-6f);
  EXPECT_NEAR(frame.cy, z.imag(), 1e-6f);
  EXPECT_EQ(real_field(frame.ray), "  6.8934391E-08");
  EXPECT_EQ(frame.limit, 186);
  EXPECT_EQ(julia_window(334).limit, 186);
}

TEST(JuliaWindow, EveryFrameShrinksByTheZoomFactorAndRaisesTheLimitSlowly) {
  int previous_limit = julia_window(1).limit;
  float previous_ray = julia_window(1).ray;
  for (int k = 2; k <= julia_frame_count; ++k) {
    const julia_frame frame = julia_window(k);
    EXPECT_NEAR(frame.ray / previous_ray, 0.95, 1e-6) << "frame " << k;
    EXPECT_GE(frame.limit, previous_limit) << "frame " << k;
    EXPECT_LE(frame.limit - previous_limit, 1) << "frame " << k;
    EXPECT_GE(frame.limit, 15);
    EXPECT_LE(frame.limit, 186);
    // The limit never sits near an integer boundary, so it must match a
    // double-precision evaluation of the same formula.
    EXPECT_EQ(frame.limit, static_cast<int>(std::ceil(14 - 10 * std::log(frame.ray / 2.0))))
        << "frame " << k;
    previous_limit = frame.limit;
    previous_ray = frame.ray;
  }
}

TEST(JuliaWindow, RayFieldTurnsScientificBetweenFrames58And59) {
  EXPECT_EQ(real_field(julia_window(58).ray), "  0.1020937    ");
  EXPECT_EQ(real_field(julia_window(59).ray), "  9.6988976E-02");
}

TEST(JuliaWindow, RejectsFramesOutsideTheZoom) {
  EXPECT_THROW(julia_window(0), std::out_of_range);
  EXPECT_THROW(julia_window(-1), std::out_of_range);
  EXPECT_THROW(julia_window(336), std::out_of_range);
}

}  // namespace
}  // namespace mapplot
