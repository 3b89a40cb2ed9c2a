#pragma once

#include <complex>
#include <span>

namespace mapplot {

inline constexpr int julia_frame_count = 335;
inline constexpr int julia_grid_side = 121;  // indices -60 .. 60

// One frame's window: centre (cx, cy), half-width ray and iteration limit.
struct julia_frame {
  float cx, cy, ray;
  int limit;
};

// The repelling fixed point z* of z^2 + i that the zoom closes in on.
std::complex<float> julia_fixed_point();

// The window of frame k = 1 .. 335; other k throw std::out_of_range.
julia_frame julia_window(int k);

// Fills the coordinate vectors X, Y (121 values each) and the escape-time
// grid A (121 * 121 values, A(p, q) at (p + 60) + (q + 60) * 121).
// Spans shorter than that throw std::invalid_argument before anything is written.
void julia_grid(const julia_frame& frame, std::span<float> X, std::span<float> Y,
                std::span<float> A);

// The 335-frame zoom: one console line per frame, each frame drawn by
// screen_map in window 101.
void julia_zoom();

// The same frame loop with another way of filling the grid, for measuring
// julia_grid against other evaluations of the same algorithm.
using julia_grid_function = void (*)(const julia_frame&, std::span<float>, std::span<float>,
                                     std::span<float>);
void play_julia_zoom(julia_grid_function fill_grid);

}  // namespace mapplot
