#pragma once

#include <array>
#include <cstddef>
#include <mapplot/julia_zoom.hpp>
#include <span>

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

// Fills counts[i] with the count of the start (re[i], im), i < re.size()
// (counts holds as many values), for steps -2 .. last. Returns how many
// points the extended loop had to compute because the double-precision path
// could not prove their counts (0 on the extended path). The caller sets the
// floating-point environment (exact_arithmetic_scope).
std::size_t escape_counts_of_row(std::span<const long double> re, long double im, long long last,
                                 std::span<float> counts, escape_path path = fastest_escape_path());

// What every row of a frame shares: the start points' real parts
// p * R / 60 + cx, p = -60 .. 60 (index p + 60), in extended precision and
// never rounded, and the last step of the iteration (limit + 1).
struct julia_row_starts {
  std::array<long double, julia_grid_side> re;
  long long last_step;
};

julia_row_starts julia_starts(const julia_frame& frame);

// Fills the 121 escape-time counts of the grid row whose start points have
// imaginary part `im` (Y(q) as stored); returns as escape_counts_of_row does.
std::size_t escape_count_row(const julia_row_starts& starts, float im,
                             std::span<float, julia_grid_side> row,
                             escape_path path = fastest_escape_path());

}  // namespace mapplot
