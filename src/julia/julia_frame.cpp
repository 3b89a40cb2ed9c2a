#include <cmath>
#include <complex>
#include <limits>
#include <mapplot/julia_zoom.hpp>
#include <stdexcept>
#include <string>

#include "julia/exact_arithmetic_scope.hpp"

namespace mapplot {

// Every step of the zoom is defined in the 80-bit x87 format; a wider or
// narrower long double would give different frames.
static_assert(std::numeric_limits<long double>::digits == 64,
              "long double must be the 80-bit extended format (64-bit significand)");

namespace {

constexpr float zoom_factor = 0.95f;

// base^exponent for exponent >= 0 by repeated squaring and multiplying, from
// the lowest bit up; each product is rounded to extended precision.
long double integer_power(long double base, int exponent) {
  long double power = 1.0L;
  unsigned remaining = static_cast<unsigned>(exponent);
  while (remaining != 0) {
    if (remaining & 1u) power *= base;
    remaining >>= 1;
    if (remaining != 0) base *= base;
  }
  return power;
}

}  // namespace

std::complex<float> julia_fixed_point() {
  const exact_arithmetic_scope exact;
  // Fixed points of z^2 + c are (1 +- sqrt(1 - 4c)) / 2; with c = i that is 1 - 4i.
  const std::complex<float> root = std::sqrt(std::complex<float>(1.0f, -4.0f));
  const long double first_re = (1.0L + root.real()) / 2.0L;
  const long double first_im = (0.0L + root.imag()) / 2.0L;
  // The repelling one is where the derivative 2z has modulus at least 1.
  if (2.0L * std::sqrt(first_re * first_re + first_im * first_im) < 1.0L) {
    return {static_cast<float>((1.0L - root.real()) / 2.0L),
            static_cast<float>((0.0L - root.imag()) / 2.0L)};
  }
  return {static_cast<float>(first_re), static_cast<float>(first_im)};
}

julia_frame julia_window(int k) {
  if (k < 1 || k > julia_frame_count) {
    throw std::out_of_range("julia_window: frame " + std::to_string(k) + " is outside 1 .. " +
                            std::to_string(julia_frame_count));
  }
  static const std::complex<float> fixed_point = julia_fixed_point();
  const exact_arithmetic_scope exact;

  const long double zoom = integer_power(zoom_factor, k);
  const long double shrink = 1.0L - zoom * zoom;
  julia_frame frame{};
  frame.cx = static_cast<float>(shrink * fixed_point.real());
  frame.cy = static_cast<float>(shrink * fixed_point.imag());
  frame.ray = static_cast<float>(2.0L * zoom);
  const double log_half_ray = std::log(static_cast<double>(frame.ray) / 2.0);
  frame.limit = static_cast<int>(std::ceil(14.0L - 10.0L * log_half_ray));
  return frame;
}

}  // namespace mapplot
