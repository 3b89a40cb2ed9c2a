#include "escape_windows.hpp"

#include <cmath>
#include <complex>
#include <cstring>
#include <limits>
#include <random>
#include <span>

namespace mapplot::test_windows {
namespace {

constexpr std::size_t side = julia_grid_side;

float row_im(const julia_frame& frame, int q) {
  return static_cast<float>(static_cast<long double>(q) * frame.ray / 60 + frame.cy);
}

long double start_re(const julia_frame& frame, int p) {
  return static_cast<long double>(p) * frame.ray / 60 + frame.cx;
}

}  // namespace

float plain_count(long double re, long double im, int limit) {
  float cell = 0;
  for (long long n = -2; n <= static_cast<long long>(limit) + 1; ++n) {
    if (std::sqrt(re * re + im * im) >= 256) break;
    cell = static_cast<float>(n);
    const long double old_re = re;
    re = re * re - im * im;
    im = 2 * old_re * im + 1;
  }
  return cell;
}

std::vector<hard_start> starts_that_need_the_whole_bound() {
  return {
      {0x8.61d9539e2ebb18p-8L, 0x1.701974p-5f, 241},
      {-0x8.95e7ec4c0f2927cp-7L, -0x1.6afdaap-6f, 197},
      {0xf.dbc2f3cd22ed90bp-8L, 0x1.d97ca6p-6f, 205},
      {0x8.7932dc9e992089bp-6L, 0x1.c34d58p-4f, 86},
      {-0x8.d7eb275249887ecp-6L, -0x1.0767b8p-3f, 52},
      {-0xf.5388ae4e1e3609bp-8L, -0x1.6085dp-4f, 98},
      {-0x9.696aaba7eff8d33p-7L, -0x1.ea352cp-6f, 259},
      {0xb.df3da4724df9e42p-6L, 0x1.787932p-2f, 255},
      {0x8.dbc48900b5d836fp-6L, 0x1.0913eep-3f, 50},
      {0xa.5699d32ec046413p-7L, 0x1.20f3cp-3f, 229},
      {0x9.819dc1baeed163cp-7L, 0x1.cb405cp-6f, 176},
      {-0x8.335429889d5b7a6p-6L, -0x1.0617cap-3f, 62},
  };
}

namespace {

// Bisects between two starts of one row with different counts down to two
// neighbouring long doubles; returns the one with the count of `low`.
long double count_boundary(long double low, long double high, float im, int limit) {
  const float low_count = plain_count(low, im, limit);
  for (int i = 0; i < 200 && std::nextafter(low, high) != high; ++i) {
    const long double middle = (low + high) / 2;
    (plain_count(middle, im, limit) == low_count ? low : high) = middle;
  }
  return low;
}

// A window of the given row and limit one of whose start points (in row q = 0)
// comes as close to `target` as a float centre and a float ray allow.
julia_frame window_through(long double target, float im, int limit) {
  const float cx = static_cast<float>(target);
  const long double offset = target - cx;
  if (offset == 0) return {cx, im, 0.0f, limit};  // every start point is the target
  const int sign = offset > 0 ? 1 : -1;
  julia_frame best{cx, im, 0.0f, limit};
  long double best_miss = std::fabs(offset);
  for (int p = 1; p <= 60; ++p) {
    float ray = static_cast<float>(std::fabs(offset) * 60 / p);
    for (int i = 0; i < 40; ++i) ray = std::nextafter(ray, 0.0f);
    for (int i = 0; i < 80; ++i, ray = std::nextafter(ray, 1.0f)) {
      const julia_frame candidate{cx, im, ray, limit};
      const long double miss = std::fabs(start_re(candidate, sign * p) - target);
      if (miss < best_miss) {
        best_miss = miss;
        best = candidate;
      }
    }
  }
  return best;
}

// A point of the Julia set: inverse images of any point accumulate on it.
std::complex<long double> point_on_the_set(std::mt19937_64& random) {
  std::uniform_real_distribution<double> uniform(0.0, 1.0);
  std::complex<long double> z(uniform(random), uniform(random));
  for (int step = 0; step < 60; ++step) {
    z = std::sqrt(z - std::complex<long double>(0, 1));
    if (uniform(random) < 0.5) z = -z;
  }
  return z;
}

}  // namespace

std::vector<float> plain_counts(const julia_frame& frame) {
  std::vector<float> grid(side * side);
  for (int q = -60; q <= 60; ++q) {
    const float im = row_im(frame, q);
    for (int p = -60; p <= 60; ++p) {
      grid[(p + 60) + (q + 60) * side] = plain_count(start_re(frame, p), im, frame.limit);
    }
  }
  return grid;
}

path_counts counts_through(escape_path path, const julia_frame& frame) {
  path_counts out;
  out.grid.assign(side * side, -99.0f);
  const julia_row_starts starts = julia_starts(frame);
  for (int q = -60; q <= 60; ++q) {
    const std::span<float, julia_grid_side> row(out.grid.data() + (q + 60) * side, side);
    out.recomputed += escape_count_row(starts, row_im(frame, q), row, path);
  }
  return out;
}

std::size_t differing_cells(const std::vector<float>& a, const std::vector<float>& b) {
  if (a.size() != b.size()) return std::max(a.size(), b.size());
  std::size_t differing = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    differing += std::memcmp(&a[i], &b[i], sizeof(float)) != 0;
  }
  return differing;
}

std::vector<named_window> windows_near_the_set(unsigned seed, int count) {
  std::mt19937_64 random(seed);
  std::uniform_real_distribution<double> uniform(0.0, 1.0);
  std::vector<named_window> windows;
  for (int i = 0; i < count; ++i) {
    const std::complex<long double> z = point_on_the_set(random);
    const float ray = static_cast<float>(std::pow(10.0, -1.0 - 12.0 * uniform(random)));
    const int limit = static_cast<int>(15 * std::pow(200.0, uniform(random)));
    const julia_frame frame{static_cast<float>(z.real()), static_cast<float>(z.imag()), ray, limit};
    windows.push_back({"near the set #" + std::to_string(i) + " (centre " +
                           std::to_string(frame.cx) + ", " + std::to_string(frame.cy) + "; ray " +
                           std::to_string(ray) + "; limit " + std::to_string(limit) + ")",
                       frame});
  }
  return windows;
}

std::vector<named_window> windows_on_the_threshold(int count) {
  constexpr int limit = 60;
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> uniform(0.0, 1.0);
  std::vector<named_window> windows;
  for (int i = 0; i < count; ++i) {
    // Along a row through a point of the set, counts change at ever smaller
    // spacings; a scan over a narrower span finds a change later in the orbit.
    const std::complex<long double> on_set = point_on_the_set(random);
    const float im = static_cast<float>(on_set.imag());
    const long double span = std::pow(10.0L, -2 - 5 * (i % 6) / 5.0L);
    long double best_low = 0, best_high = 0;
    float best_count = -3;
    long double previous = on_set.real() - span;
    float previous_count = plain_count(previous, im, limit);
    for (int step = 1; step <= 64; ++step) {
      const long double x = on_set.real() - span + span * step / 32;
      const float here = plain_count(x, im, limit);
      if (here != previous_count && std::min(here, previous_count) > best_count) {
        best_count = std::min(here, previous_count);
        best_low = previous;
        best_high = x;
      }
      previous = x;
      previous_count = here;
    }
    if (best_count < 0) continue;
    const julia_frame frame =
        window_through(count_boundary(best_low, best_high, im, limit), im, limit);
    windows.push_back({"on the threshold #" + std::to_string(i) + " (counts from " +
                           std::to_string(static_cast<int>(best_count)) + ")",
                       frame});
  }
  return windows;
}

std::vector<named_window> windows_outside_the_double_range() {
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  return {
      {"real parts on both sides of 2^64", {0, 0, 1.2e21f, 12}},
      {"huge imaginary part", {0, 1e30f, 1, 12}},
      {"NaN centre", {nan, 0, 1, 12}},
      {"infinite ray", {0, 0, inf, 12}},
      {"a row through 2^64", {0x1p64f, 0, 0x1p50f, 12}},
  };
}

}  // namespace mapplot::test_windows
