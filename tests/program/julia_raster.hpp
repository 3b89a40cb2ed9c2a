#pragma once

#include <cstdint>
#include <vector>

namespace mapplot::testing {

// The map square of the zoom's window, pixels 4 .. 267 both ways: where the
// viewport begins and where the data's square ends in the 580 x 270 layout.
inline constexpr int map_first_pixel = 4;
inline constexpr int map_last_pixel = 267;

// The grey level of every pixel of frame `k`'s map square, row by row, worked
// out here from julia_grid's grid alone: levels scaled from the grid's range
// and rounded half away from zero, cells bounded by the midpoints between
// coordinates, world edges rounded to the nearest pixel of the viewport
// (4, 4) - (577, 267) spanning x from its minimum to the stretched right edge
// and y upwards, later cells painted over earlier ones.
std::vector<int> expected_julia_map(int k);

}  // namespace mapplot::testing
