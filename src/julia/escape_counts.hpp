#pragma once

#include <atomic>
#include <cstddef>
#include <mapplot/julia_zoom.hpp>
#include <span>
#include <vector>

namespace mapplot {

// How the counts of a row are computed. `extended` iterates every point in
// extended precision; the others iterate in double precision, several points
// per instruction, and hand every point whose count they cannot prove equal to
// the extended one back to the extended loop. All three give the same counts.
enum class escape_path { extended, avx2, avx512 };

// Whether this processor (and its operating system) can run `path`.
bool escape_path_supported(escape_path path);

// The fastest supported path.
escape_path fastest_escape_path();

// The count of the start (re, im) by the zoom's rule, in extended precision:
// the last step n of -2 .. last that began with |z| < 256, 0 for a start
// already outside. The caller sets the floating-point environment.
float extended_escape_count(long double re, long double im, long long last);

// The real parts of the starts that every row of a view shares, prepared once
// for all its rows: converting and checking them per row cost as much as the
// double path's own work on the zoom's grids.
struct escape_row_starts {
  std::vector<long double> re;
  // re rounded to double, padded to whole vectors with a start that escapes
  // at once; a start the double path cannot take holds such a start too.
  std::vector<double> re_double;
  // Starts the double path cannot take, computed by the extended loop.
  std::vector<unsigned char> extended_only;
};

escape_row_starts prepare_row_starts(std::vector<long double> re);

struct row_outcome {
  // Points the extended loop had to compute because the double path could
  // not prove their counts (0 on the extended path).
  std::size_t recomputed;
  // false: `cancel` was set and some counts of the row were left as they were.
  bool finished;
};

// Fills counts[i] with the count of the start (starts.re[i], im), for every i
// (counts holds as many values), for steps -2 .. last. Once `cancel` is set,
// stops within a few milliseconds. The caller sets the floating-point
// environment (exact_arithmetic_scope).
row_outcome escape_counts_of_row(const escape_row_starts& starts, long double im, long long last,
                                 std::span<float> counts, escape_path path = fastest_escape_path(),
                                 const std::atomic<bool>* cancel = nullptr);

// The same for starts used once; returns the points recomputed.
std::size_t escape_counts_of_row(std::span<const long double> re, long double im, long long last,
                                 std::span<float> counts, escape_path path = fastest_escape_path());

// What every row of a frame shares: the start points' real parts
// p * R / 60 + cx, p = -60 .. 60 (index p + 60), in extended precision and
// never rounded, and the last step of the iteration (limit + 1).
struct julia_row_starts {
  escape_row_starts starts;
  long long last_step;
};

julia_row_starts julia_starts(const julia_frame& frame);

// Fills the 121 escape-time counts of the grid row whose start points have
// imaginary part `im` (Y(q) as stored); returns the points recomputed.
std::size_t escape_count_row(const julia_row_starts& starts, float im,
                             std::span<float, julia_grid_side> row,
                             escape_path path = fastest_escape_path());

}  // namespace mapplot
