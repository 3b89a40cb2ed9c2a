#pragma once

#include <cstddef>
#include <mapplot/julia_zoom.hpp>
#include <string>
#include <vector>

#include "julia/escape_counts.hpp"

namespace mapplot::test_windows {

// The plain evaluation of one start: |z| as the square root of re^2 + im^2,
// all in long double, steps -2 .. limit + 1.
float plain_count(long double re, long double im, int limit);

// A start whose count changes between it and a neighbouring long double, with
// the rounding errors of the double path's first steps close to their worst:
// the certified kernels must hand it back to the extended loop, and a bound
// cut to about a quarter (or a third, for the first four) certifies a wrong
// count instead. Found by a search along rows near the set.
struct hard_start {
  long double re;
  float im;
  int limit;
};
std::vector<hard_start> starts_that_need_the_whole_bound();

// A window to check, with a name for failure messages.
struct named_window {
  std::string name;
  julia_frame frame;
};

// The grid A of a window computed the plain way: one cell after another,
// |z| as the square root of re^2 + im^2, all in long double.
std::vector<float> plain_counts(const julia_frame& frame);

// The grid A computed row by row through one escape path.
struct path_counts {
  std::vector<float> grid;
  std::size_t recomputed = 0;  // points the extended loop computed after all
};
path_counts counts_through(escape_path path, const julia_frame& frame);

// How many cells of two grids differ in their bits.
std::size_t differing_cells(const std::vector<float>& a, const std::vector<float>& b);

// Windows centred on points of the Julia set, with rays from 1e-1 down to 1e-13
// and limits from 15 up to 3000, drawn from a fixed seed.
std::vector<named_window> windows_near_the_set(unsigned seed, int count);

// Windows whose middle row holds a start point where the extended count
// changes between two neighbouring long doubles, so that one escape test lies
// within a hair of 65536, some steps into the orbit.
std::vector<named_window> windows_on_the_threshold(int count);

// Windows with start points the double path cannot take: real parts beyond
// 2^64, a huge imaginary part, NaN and infinity.
std::vector<named_window> windows_outside_the_double_range();

}  // namespace mapplot::test_windows
