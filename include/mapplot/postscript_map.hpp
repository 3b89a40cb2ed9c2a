#pragma once

#include <mapplot/map_request.hpp>
#include <span>

namespace mapplot {

// Writes the map request as a plot file through PGPLOT ("Map.ps", device
// "ps" by default): grey-scale image, outline, axes box, wedge and labels,
// then reports "Output in <file>" on the console (not for the null device and
// PGPLOT's X window devices, which write no file).
//
// The core is the single-precision overload with flat `z`; the others
// convert their data to that form and call it. Calls may come from several
// threads: they are made one at a time, as PGPLOT has global state.
//
// Inputs outside the usual shape:
// - x.size() * y.size() != number of values: a warning line; surplus values
//   are ignored, missing cells are drawn at the minimum of the values given.
// - empty x, y or z: a console line and no plot.
// - a single coordinate along an axis: that cell is one unit wide, centred
//   on the coordinate.
// - a device PGPLOT cannot open (unknown type, missing folder, no
//   permission): a console line, no plot, and no "Output in" line.
// - a file name longer than 80 characters is used whole.
//
// PGPLOT's X window devices ("xw", "xs") open on the program's X display
// whatever the file name; PGPLOT then asks on standard input before it closes
// the window, as it does for its interactive devices.
void postscript_map(std::span<const float> x, std::span<const float> y, std::span<const float> z,
                    const postscript_options& options = {});
void postscript_map(std::span<const double> x, std::span<const double> y, std::span<const double> z,
                    const postscript_options& options = {});
void postscript_map(std::span<const float> x, std::span<const float> y, grid_view<float> z,
                    const postscript_options& options = {});
void postscript_map(std::span<const double> x, std::span<const double> y, grid_view<double> z,
                    const postscript_options& options = {});

}  // namespace mapplot
