#pragma once

#include <span>

#include "request/map_request.hpp"

namespace mapplot {

// Draws the grid as a grey-level map with a legend in a graphics window.
// The core (double precision, flat z) scales `z` in place to grey levels
// 0..255 unless `logscale` is set; the other overloads work on a copy and
// never change the caller's arrays.
void screen_map(std::span<const double> x, std::span<const double> y, std::span<double> z,
                const screen_options& options = {});
void screen_map(std::span<const float> x, std::span<const float> y, std::span<const float> z,
                const screen_options& options = {});
void screen_map(std::span<const double> x, std::span<const double> y, grid_view<double> z,
                const screen_options& options = {});
void screen_map(std::span<const float> x, std::span<const float> y, grid_view<float> z,
                const screen_options& options = {});

}  // namespace mapplot
