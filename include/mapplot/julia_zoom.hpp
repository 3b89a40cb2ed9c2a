#pragma once

#include <complex>
#include <span>

namespace mapplot {

/// Frames of the zoom, and the side of its square grid (indices -60 .. 60).
inline constexpr int julia_frame_count = 335;
inline constexpr int julia_grid_side = 121;

/// One frame's window in the complex plane: centre (cx, cy), half-width `ray`
/// and the iteration limit of its escape-time grid.
struct julia_frame {
  float cx, cy, ray;
  int limit;
};

/// The repelling fixed point z* of z^2 + i that the zoom closes in on,
/// about (1.3002425, -0.6248105).
std::complex<float> julia_fixed_point();

/// The window of frame k = 1 .. 335. Throws std::out_of_range for other k.
julia_frame julia_window(int k);

/// Fills the coordinate vectors X and Y (121 values each: X(p) = p R / 60 + cx
/// for p = -60 .. 60, likewise Y) and the escape-time grid A (121 * 121 values,
/// A(p, q) at (p + 60) + (q + 60) * 121, from -2 up to limit + 1). Larger spans
/// keep their extra values; shorter ones throw std::invalid_argument before
/// anything is written. The grid is the same, bit for bit, however many cores
/// the machine has.
void julia_grid(const julia_frame& frame, std::span<float> X, std::span<float> Y,
                std::span<float> A);

/// The program's routine: the 335 frames, each announced by one console line
/// ("           1 Ray =    1.900000    ") and drawn by screen_map into window
/// 101, titled "Julia set". Call it from the routine given to
/// run_windowed_program.
void julia_zoom();

}  // namespace mapplot
