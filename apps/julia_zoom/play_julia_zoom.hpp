#pragma once

#include <mapplot/julia_zoom.hpp>
#include <span>

namespace mapplot {

// The zoom's frame loop with another way of filling the grid, so that
// benchmarks measure the program's own loop against other evaluations.
using julia_grid_function = void (*)(const julia_frame&, std::span<float>, std::span<float>,
                                     std::span<float>);
void play_julia_zoom(julia_grid_function fill_grid);

}  // namespace mapplot
