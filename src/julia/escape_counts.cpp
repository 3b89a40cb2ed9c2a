#include "julia/escape_counts.hpp"

#include <cmath>

#include "julia/certified_counts.hpp"

namespace mapplot {
namespace {

static_assert(escape_lanes_per_row >= julia_grid_side &&
              escape_lanes_per_row % certified::points_multiple == 0);

constexpr int half_side = (julia_grid_side - 1) / 2;  // indices run -60 .. 60
constexpr long double escape_modulus_squared = 256.0L * 256.0L;
// The double path needs |z|^2 finite; larger starts escape at once anyway.
constexpr long double largest_double_start = 0x1p64L;
// Fills the padding lanes: escapes at the first test, which decides it.
constexpr double padding_start = 0x1p40;

// Iterates z -> z^2 + i from (re, im) for steps -2 .. last and returns the
// last step that began with |z| < 256; a start point already outside keeps 0.
// The squared modulus is compared with 256^2: sqrt is correctly rounded and
// 256 is exact, so this decides exactly as |z| >= 256 would.
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
  starts.re_double.fill(padding_start);
  for (int p = -half_side; p <= half_side; ++p) {
    const std::size_t i = static_cast<std::size_t>(p + half_side);
    starts.re[i] = static_cast<long double>(p) * frame.ray / 60.0L + frame.cx;
    starts.extended_only[i] = !fits_double_path(starts.re[i]);
    if (!starts.extended_only[i]) starts.re_double[i] = static_cast<double>(starts.re[i]);
  }
  starts.last_step = static_cast<long long>(frame.limit) + 1;
  return starts;
}

std::size_t escape_count_row(const julia_row_starts& starts, float im,
                             std::span<float, julia_grid_side> row, escape_path path) {
  if (path == escape_path::extended || !escape_path_supported(path) || !fits_double_path(im)) {
    for (std::size_t i = 0; i < row.size(); ++i) {
      row[i] = extended_escape_count(starts.re[i], im, starts.last_step);
    }
    return path == escape_path::extended ? 0 : row.size();
  }

  alignas(64) float counts[escape_lanes_per_row];
  unsigned char undecided[escape_lanes_per_row];
  if (path == escape_path::avx512) {
    certified::escape_counts_avx512(starts.re_double.data(), escape_lanes_per_row, im,
                                    starts.last_step, counts, undecided);
  } else {
    certified::escape_counts_avx2(starts.re_double.data(), escape_lanes_per_row, im,
                                  starts.last_step, counts, undecided);
  }
  std::size_t recomputed = 0;
  for (std::size_t i = 0; i < row.size(); ++i) {
    if (undecided[i] || starts.extended_only[i]) {
      row[i] = extended_escape_count(starts.re[i], im, starts.last_step);
      ++recomputed;
    } else {
      row[i] = counts[i];
    }
  }
  return recomputed;
}

}  // namespace mapplot
