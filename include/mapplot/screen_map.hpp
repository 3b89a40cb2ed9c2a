#pragma once

#include <mapplot/map_request.hpp>
#include <span>

namespace mapplot {

// Draws the grid as a grey-level map (smallest value black, largest white)
// with a legend: labels and the minimum and maximum of x, y and the values.
//
// - ownwindow: a preparing call (update false) opens a new graphics window,
//   numbered 101, 102, ... and titled with the title; an updating call
//   redraws into the newest one without clearing it. Without ownwindow the
//   map goes into the current window (the console until an own window has
//   been used), and the call returns once Enter has been typed into the
//   console, with that window back in its text configuration.
// - winsize: 1 or less, 2, 3 or more select layouts of 580 x 270 (own
//   window; 580 x 290 otherwise), 741 x 451 and 1005 x 662 pixels.
// - The core (double precision, flat z) scales `z` in place to grey levels
//   0..255 unless `logscale` is set; the other overloads work on a copy and
//   never change the caller's arrays.
// - Fewer values than x.size() * y.size(), or an empty x or y: the window is
//   prepared, nothing else is drawn, and one console line says why. A grid
//   whose nx * ny overflows the size of an array throws std::invalid_argument.
// - Coordinates without spread, coordinates that are not all finite (no
//   cells are drawn then) and coordinates spanning more than a double holds
//   leave the map empty; one console line per axis says so, worded as for
//   plot files.
// - Values that are not finite (NaN, infinities, logarithms of values <= 0):
//   the scale spans the finite values; -inf cells are black, +inf white and
//   NaN cells keep the map's dark blue background; one console line counts
//   them. Constant values draw no cells and no legend.
// Calls from several threads are made one at a time.
void screen_map(std::span<const double> x, std::span<const double> y, std::span<double> z,
                const screen_options& options = {});
void screen_map(std::span<const float> x, std::span<const float> y, std::span<const float> z,
                const screen_options& options = {});
void screen_map(std::span<const double> x, std::span<const double> y, grid_view<double> z,
                const screen_options& options = {});
void screen_map(std::span<const float> x, std::span<const float> y, grid_view<float> z,
                const screen_options& options = {});

}  // namespace mapplot
