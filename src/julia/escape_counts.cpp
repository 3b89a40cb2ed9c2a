#include "julia/escape_counts.hpp"

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

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

// Compares the squared modulus with 256^2: sqrt is correctly rounded and 256
// is exact, so this decides exactly as |z| >= 256 would. Asks `stopped` every
// so many steps and gives up (nullopt) once it says so.
template <class Stopped>
std::optional<float> extended_loop(long double re, long double im, long long last,
                                   const Stopped& stopped) {
  long long count = 0;
  for (long long n = -2; n <= last; ++n) {
    if ((n & (certified::steps_between_stop_checks - 1)) == 0 && stopped()) return std::nullopt;
    if (re * re + im * im >= escape_modulus_squared) break;
    count = n;
    const long double next_re = re * re - im * im;
    im = 2.0L * re * im + 1.0L;
    re = next_re;
  }
  return static_cast<float>(count);
}

bool cancel_requested(const void* cancel) {
  return static_cast<const std::atomic<bool>*>(cancel)->load(std::memory_order_relaxed);
}

// An upper bound on |y - fl(y)| as a double: the difference of a long double
// and its rounding is exact in long double, and its conversion rounds up.
double rounding_error_bound(long double y, double rounded) {
  const long double error = std::fabs(y - static_cast<long double>(rounded));
  const double bound = static_cast<double>(error);
  return static_cast<long double>(bound) >= error ? bound : std::nextafter(bound, INFINITY);
}

}  // namespace

float extended_escape_count(long double re, long double im, long long last) {
  return *extended_loop(re, im, last, [] { return false; });
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

escape_row_starts prepare_row_starts(std::vector<long double> re) {
  escape_row_starts starts;
  const std::size_t padded = (re.size() + certified::points_multiple - 1) /
                             certified::points_multiple * certified::points_multiple;
  starts.re_double.assign(padded, padding_start);
  starts.extended_only.assign(re.size(), 0);
  for (std::size_t i = 0; i < re.size(); ++i) {
    if (fits_double_path(re[i])) {
      starts.re_double[i] = static_cast<double>(re[i]);
    } else {
      starts.extended_only[i] = 1;
    }
  }
  starts.re = std::move(re);
  return starts;
}

julia_row_starts julia_starts(const julia_frame& frame) {
  std::vector<long double> re(julia_grid_side);
  for (int p = -half_side; p <= half_side; ++p) {
    re[static_cast<std::size_t>(p + half_side)] =
        static_cast<long double>(p) * frame.ray / 60.0L + frame.cx;
  }
  return {prepare_row_starts(std::move(re)), static_cast<long long>(frame.limit) + 1};
}

row_outcome escape_counts_of_row(const escape_row_starts& starts, long double im, long long last,
                                 std::span<float> counts, escape_path path,
                                 const std::atomic<bool>* cancel) {
  const auto stopped = [cancel] {
    return cancel != nullptr && cancel->load(std::memory_order_relaxed);
  };
  const std::size_t size = starts.re.size();
  if (path == escape_path::extended || !escape_path_supported(path) || !fits_double_path(im)) {
    for (std::size_t i = 0; i < size; ++i) {
      const std::optional<float> count = extended_loop(starts.re[i], im, last, stopped);
      if (!count) return {path == escape_path::extended ? 0 : i, false};
      counts[i] = *count;
    }
    return {path == escape_path::extended ? 0 : size, true};
  }

  // A chunk at a time, so that rows of any length need no memory but this.
  alignas(64) float chunk_counts[chunk_points];
  unsigned char undecided[chunk_points];
  const double im_double = static_cast<double>(im);
  const double im_error = rounding_error_bound(im, im_double);
  const certified::stop_check stop{cancel_requested, cancel};
  const certified::stop_check* const stop_if_asked = cancel != nullptr ? &stop : nullptr;
  std::size_t recomputed = 0;
  for (std::size_t first = 0; first < size; first += chunk_points) {
    const std::size_t points = std::min(chunk_points, size - first);
    const std::size_t lanes = (points + certified::points_multiple - 1) /
                              certified::points_multiple * certified::points_multiple;
    const double* const chunk_re = starts.re_double.data() + first;
    const bool finished =
        path == escape_path::avx512
            ? certified::escape_counts_avx512(chunk_re, lanes, im_double, im_error, last,
                                              chunk_counts, undecided, stop_if_asked)
            : certified::escape_counts_avx2(chunk_re, lanes, im_double, im_error, last,
                                            chunk_counts, undecided, stop_if_asked);
    if (!finished) return {recomputed, false};
    unsigned char any_left = 0;
    for (std::size_t i = 0; i < points; ++i)
      any_left |= undecided[i] | starts.extended_only[first + i];
    if (any_left == 0) {
      std::copy_n(chunk_counts, points, counts.begin() + static_cast<std::ptrdiff_t>(first));
      continue;
    }
    for (std::size_t i = 0; i < points; ++i) {
      if ((undecided[i] | starts.extended_only[first + i]) == 0) {
        counts[first + i] = chunk_counts[i];
        continue;
      }
      const std::optional<float> count = extended_loop(starts.re[first + i], im, last, stopped);
      if (!count) return {recomputed, false};
      counts[first + i] = *count;
      ++recomputed;
    }
  }
  return {recomputed, true};
}

std::size_t escape_counts_of_row(std::span<const long double> re, long double im, long long last,
                                 std::span<float> counts, escape_path path) {
  const escape_row_starts starts = prepare_row_starts({re.begin(), re.end()});
  return escape_counts_of_row(starts, im, last, counts, path).recomputed;
}

std::size_t escape_count_row(const julia_row_starts& starts, float im,
                             std::span<float, julia_grid_side> row, escape_path path) {
  return escape_counts_of_row(starts.starts, im, starts.last_step, row, path).recomputed;
}

}  // namespace mapplot
