#pragma once

/// \file
/// The Julia zoom: 335 frames zooming into the Julia set of z^2 + i towards
/// its repelling fixed point, each a 121 x 121 escape-time grid drawn by
/// screen_map() (CMake: mapplot::julia, with the screenmap component).

#include <complex>
#include <cstddef>
#include <mapplot/export.hpp>
#include <span>
#include <stop_token>

namespace mapplot {

/// Frames of the zoom.
inline constexpr int julia_frame_count = 335;
/// The side of a frame's square grid (indices -60 .. 60).
inline constexpr int julia_grid_side = 121;

/// One frame's window in the complex plane and its iteration limit.
struct julia_frame {
  float cx;   ///< Real part of the window's centre.
  float cy;   ///< Imaginary part of the window's centre.
  float ray;  ///< Half-width of the window: 1.9 in frame 1, about 6.9e-8 in frame 335.
  int limit;  ///< Iteration limit of the escape-time grid: 15 in frame 1, 186 in frame 335.
};

/// The repelling fixed point z* of z^2 + i that the zoom closes in on,
/// about (1.3002425, -0.6248105).
MAPPLOT_API std::complex<float> julia_fixed_point();

/// The window of frame `k`, computed like julia_grid() whatever the caller's
/// floating-point environment.
/// \param k  The frame, 1 .. 335.
/// \throws std::out_of_range  `k` is outside 1 .. 335.
MAPPLOT_API julia_frame julia_window(int k);

/// Fills a frame's coordinates and escape-time grid. Larger spans keep their
/// extra values. The grid is the same, bit for bit, however many cores the
/// machine has and whatever floating-point environment the caller has set
/// (rounding mode, x87 precision control, flushing of subnormal numbers,
/// traps): the computation runs in round-to-nearest with 64-bit x87
/// precision on every thread, and the caller gets its own settings back.
///
/// \param frame  The frame's window, from julia_window().
/// \param X  At least 121 values: X(p) = p R / 60 + cx for p = -60 .. 60.
/// \param Y  At least 121 values: Y(q) = q R / 60 + cy for q = -60 .. 60.
/// \param A  At least 121 * 121 values: A(p, q) at (p + 60) + (q + 60) * 121,
///           from -2 up to limit + 1.
/// \throws std::invalid_argument  A span is too short; nothing is written.
MAPPLOT_API void julia_grid(const julia_frame& frame, std::span<float> X, std::span<float> Y,
                            std::span<float> A);

/// The largest iteration limit julia_counts() takes: 2^24 - 1. Its counts
/// reach limit + 1 = 2^24, the last integer from which a float still holds
/// every smaller one exactly; a larger limit would give a start that never
/// escapes the count of one that escaped at the last test.
inline constexpr int julia_counts_largest_limit = (1 << 24) - 1;

/// The escape-time counts of a view of any size and depth, one start point
/// per pixel, by julia_grid()'s rule: from -2 up to limit + 1, a start with
/// |z| >= 256 keeping 0. The counts are exact, the same as the plain
/// extended-precision loop gives for each start, bit for bit, however many
/// cores compute them and whatever floating-point environment the caller has
/// set.
///
/// Pixel (i, j), i < columns, j < rows, starts at x + iy with
/// x = cx + ray_x * k / columns, k = 2i + 1 - columns, and
/// y = cy + ray_y * (2j + 1 - rows) / rows, each evaluated in long double in
/// this order: k and the pixel count converted exactly, the product, the
/// quotient, the sum. So the pixels tile the rectangle cx +- ray_x, cy +- ray_y
/// and start at their centres; unlike julia_grid()'s rows, y is not rounded
/// to single precision. Computed on all cores, through the certified double
/// precision path where it can prove a count and the extended loop elsewhere.
///
/// \param cx  Real part of the view's centre.
/// \param cy  Imaginary part of the view's centre.
/// \param ray_x  Half-width of the view along the real axis.
/// \param ray_y  Half-height of the view along the imaginary axis.
/// \param limit  The iteration limit (julia_window() gives the zoom's), at
///               most julia_counts_largest_limit. A start that never escapes
///               costs limit steps: about 0.1 s per pixel and core at the
///               largest.
/// \param columns  Pixels across.
/// \param rows  Pixels down.
/// \param counts  At least columns * rows values: the count of pixel (i, j)
///                at i + j * columns. Further values are kept.
/// \throws std::invalid_argument  counts holds fewer than columns * rows
///         values, or columns * rows overflows, or limit is above
///         julia_counts_largest_limit, or the centre or a half-width is not
///         finite; nothing is written.
MAPPLOT_API void julia_counts(long double cx, long double cy, long double ray_x, long double ray_y,
                              int limit, std::size_t columns, std::size_t rows,
                              std::span<float> counts);

/// julia_counts() that gives up once `stop` is requested: within a few
/// milliseconds, however large the view or the limit, it returns false.
/// Stopping is no failure, so it throws nothing: the pixels computed by then
/// hold their counts, the others (whole rows, or the end of a row) are left
/// as they were, so a stopped call's counts must not be shown as a view.
/// \return true when every count was written, false when stopped before.
/// \throws std::invalid_argument  As julia_counts(), before writing anything,
///         stop requested or not.
[[nodiscard]] MAPPLOT_API bool julia_counts(long double cx, long double cy, long double ray_x,
                                            long double ray_y, int limit, std::size_t columns,
                                            std::size_t rows, std::span<float> counts,
                                            std::stop_token stop);

/// The program's routine: the 335 frames, each announced by one console line
/// ("           1 Ray =    1.900000    ") and drawn by screen_map() into an
/// own window (101 in a program that opens no other), titled "Julia set".
/// Call it from the routine given to run_windowed_program().
MAPPLOT_API void julia_zoom();

}  // namespace mapplot
