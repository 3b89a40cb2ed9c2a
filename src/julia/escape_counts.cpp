#include "julia/escape_counts.hpp"

#include <algorithm>
#include <cmath>

#include "julia/certified_counts.hpp"

namespace mapplot {
namespace {

// Points handed to the double path at once.
constexpr std::size_t chunk_points = 128;
static_assert(chunk_points % certified::points_multiple == 0);

constexpr int half_side = (julia_grid_side - 1) / 2;  // indices run -60 .. 60
constexpr long double escape_modulus_squared = 256.0L * 256.0L;
// The double path needs |z|^2 finite; larger starts escape at once anyway.
constexpr long double largest_double_start = 0x1p64L;
// Fills the padding lanes: escapes at the first test, which decides it.
constexpr double padding_start = 0x1p40;

bool fits_double_path(long double x) {
  return std::fabs(x) <= largest_double_start;
}

// What the processor offers, asked once; the answer includes whether the
// operating system saves the wider registers.
struct instruction_sets {
  bool avx2, avx512;
};

const instruction_sets& processor() {
  static const instruction_sets sets = [] {
    __builtin_cpu_init();
    return instruction_sets{
        .avx2 = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma"),
        .avx512 = __builtin_cpu_supports("avx512f") != 0,
    };
  }();
  return sets;
}

}  // namespace

// Compares the squared modulus with 256^2: sqrt is correctly rounded and 256
// is exact, so this decides exactly as |z| >= 256 would.
float extended_escape_count(long double re, long double im, long long last) {
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

bool escape_path_supported(escape_path path) {
  switch (path) {
    case escape_path::extended:
      return true;
    case escape_path::avx2:
      return processor().avx2;
    case escape_path::avx512:
      return processor().avx512;
  }
  return false;
}

escape_path fastest_escape_path() {
  if (processor().avx512) return escape_path::avx512;
  if (processor().avx2) return escape_path::avx2;
  return escape_path::extended;
}

julia_row_starts julia_starts(const julia_frame& frame) {
  julia_row_starts starts{};
  for (int p = -half_side; p <= half_side; ++p) {
    starts.re[static_cast<std::size_t>(p + half_side)] =
        static_cast<long double>(p) * frame.ray / 60.0L + frame.cx;
  }
  starts.last_step = static_cast<long long>(frame.limit) + 1;
  return starts;
}

std::size_t escape_counts_of_row(std::span<const long double> re, long double im, long long last,
                                 std::span<float> counts, escape_path path) {
  if (path == escape_path::extended || !escape_path_supported(path) || !fits_double_path(im)) {
    for (std::size_t i = 0; i < re.size(); ++i) counts[i] = extended_escape_count(re[i], im, last);
    return path == escape_path::extended ? 0 : re.size();
  }

  // A chunk at a time, so that rows of any length need no memory but this.
  alignas(64) double chunk_re[chunk_points];
  alignas(64) float chunk_counts[chunk_points];
  unsigned char undecided[chunk_points];
  const double im_double = static_cast<double>(im);
  std::size_t recomputed = 0;
  for (std::size_t first = 0; first < re.size(); first += chunk_points) {
    const std::size_t points = std::min(chunk_points, re.size() - first);
    const std::size_t lanes = (points + certified::points_multiple - 1) /
                              certified::points_multiple * certified::points_multiple;
    for (std::size_t i = 0; i < lanes; ++i) {
      const bool double_start = i < points && fits_double_path(re[first + i]);
      chunk_re[i] = double_start ? static_cast<double>(re[first + i]) : padding_start;
    }
    if (path == escape_path::avx512) {
      certified::escape_counts_avx512(chunk_re, lanes, im_double, last, chunk_counts, undecided);
    } else {
      certified::escape_counts_avx2(chunk_re, lanes, im_double, last, chunk_counts, undecided);
    }
    for (std::size_t i = 0; i < points; ++i) {
      const long double x = re[first + i];
      if (undecided[i] || !fits_double_path(x)) {
        counts[first + i] = extended_escape_count(x, im, last);
        ++recomputed;
      } else {
        counts[first + i] = chunk_counts[i];
      }
    }
  }
  return recomputed;
}

std::size_t escape_count_row(const julia_row_starts& starts, float im,
                             std::span<float, julia_grid_side> row, escape_path path) {
  return escape_counts_of_row(starts.re, im, starts.last_step, row, path);
}

}  // namespace mapplot
