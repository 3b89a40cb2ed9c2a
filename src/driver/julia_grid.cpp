#include <cstddef>
#include <mapplot/julia_zoom.hpp>
#include <stdexcept>
#include <string>

#include "driver/grid_workers.hpp"

namespace mapplot {
namespace {

constexpr std::size_t side = julia_grid_side;
constexpr int half_side = (julia_grid_side - 1) / 2;  // indices run -60 .. 60
constexpr long double escape_modulus_squared = 256.0L * 256.0L;

void require_length(std::string_view name, std::size_t given, std::size_t needed) {
  if (given < needed) {
    throw std::invalid_argument("julia_grid: " + std::string(name) + " holds " +
                                std::to_string(given) + " values, " + std::to_string(needed) +
                                " are needed");
  }
}

// The real part of a start point: p * R / 60 + cx, deliberately left in
// extended precision so that it still varies where X(p) no longer does.
long double start_re(int p, const julia_frame& frame) {
  return static_cast<long double>(p) * frame.ray / 60.0L + frame.cx;
}

// Iterates z -> z^2 + i from (re, im) for steps -2 .. last and returns the
// last step that began with |z| < 256; a start point already outside keeps 0.
// The squared modulus is compared with 256^2: sqrt is correctly rounded and
// 256 is exact, so this decides exactly as |z| >= 256 would.
float escape_count(long double re, long double im, long long last) {
  long long count = 0;
  for (long long n = -2; n <= last; ++n) {
    if (re * re + im * im >= escape_modulus_squared) break;
    count = n;
    const long double next_re = re * re - im * im;
    im = 2.0L * re * im + 1.0L;
    re = next_re;
  }
  return static_cast<float>(count);
}

void compute_row(const julia_frame& frame, int q, float im, std::span<float> A) {
  const long long last = static_cast<long long>(frame.limit) + 1;
  float* row = A.data() + static_cast<std::size_t>(q + half_side) * side;
  // One cell at a time: a second interleaved orbit would not fit the eight x87
  // registers and measured slower.
  for (int p = -half_side; p <= half_side; ++p) {
    row[p + half_side] = escape_count(start_re(p, frame), im, last);
  }
}

}  // namespace

void julia_grid(const julia_frame& frame, std::span<float> X, std::span<float> Y,
                std::span<float> A) {
  require_length("X", X.size(), side);
  require_length("Y", Y.size(), side);
  require_length("A", A.size(), side * side);

  for (int p = -half_side; p <= half_side; ++p) {
    X[static_cast<std::size_t>(p + half_side)] = static_cast<float>(start_re(p, frame));
  }
  for (int q = -half_side; q <= half_side; ++q) {
    Y[static_cast<std::size_t>(q + half_side)] =
        static_cast<float>(static_cast<long double>(q) * frame.ray / 60.0L + frame.cy);
  }

  // Rows differ a lot in cost near the set, so the workers take the next free
  // row rather than a fixed share.
  grid_workers::shared().run_rows(static_cast<int>(side), [&](int index) {
    compute_row(frame, index - half_side, Y[static_cast<std::size_t>(index)], A);
  });
}

}  // namespace mapplot
