#pragma once

/// \file
/// The plot file output: postscript_map() writes a map request through
/// PGPLOT ("Map.ps", device "ps", by default), in four overloads for single
/// or double precision and a flat or two-dimensional grid. It needs PGPLOT
/// but not Qt (CMake: mapplot::psmap; pkg-config: mapplot-psmap).

#include <mapplot/map_request.hpp>
#include <span>

namespace mapplot {

/// Writes the map request as a plot file through PGPLOT: the core overload,
/// single precision with the values flat.
///
/// The plot holds a grey-scale image of the grid (smallest value black,
/// largest white), its outline, the axes box, the value wedge at the right
/// and the labels. Calls may come from several threads: they are made one at
/// a time, as PGPLOT has global state.
///
/// \param x  The x coordinates, nx of them; a single one makes a cell one
///           unit wide centred on it.
/// \param y  The y coordinates, ny of them.
/// \param z  The values, x index fastest: value (p, q) at p + q * nx. Surplus
///           values are ignored; missing cells are drawn at the smallest
///           value given.
/// \param options  logscale (false), xlabel ("x"), ylabel ("y"), title
///           ("Representation of z=z(x,y)"), filename ("Map.ps"), device
///           ("ps"). The file name follows the device type: a name ending
///           in "ps" takes the type in place of those two letters unless it
///           is "ps" ("Map.cps" for "cps"). A name longer than 80
///           characters is used whole.
///
/// Console lines:
/// - "  Warning: incompatible array sizes !!!" when nx * ny differs from
///   z.size();
/// - "  Empty array: no plot written" for an empty x, y or z;
/// - "  Blank plot file name: no plot written";
/// - "  Grid too large to plot: no plot written";
/// - "  Warning: <n> values not finite, drawn at the ends of the scale":
///   NaN and -infinity at the smallest value, +infinity at the largest;
/// - "  Array is flat!" when the values span less than 1e-6;
/// - "  Cannot open plot device <file>/<device>" for a device PGPLOT cannot
///   open (unknown type, missing folder, no permission), and
///   "  Cannot write plot file <file>" when the finished file cannot be put
///   in place: no plot;
/// - "  Output in <file>" last, only when the file is complete under its
///   name; not for the null device and PGPLOT's X window devices, which
///   write no file.
///
/// PGPLOT's X window devices ("xw", "xs") open on the program's X display
/// whatever the file name; PGPLOT then asks on standard input before it
/// closes the window, as it does for its interactive devices. The caller's
/// arrays are only read.
///
/// \throws std::bad_alloc  Memory for the plot's copy of the grid runs out.
void postscript_map(std::span<const float> x, std::span<const float> y, std::span<const float> z,
                    const postscript_options& options = {});

/// The same from double-precision data, each value rounded to the nearest
/// single-precision one.
void postscript_map(std::span<const double> x, std::span<const double> y, std::span<const double> z,
                    const postscript_options& options = {});

/// The same from a grid: its z.nx * z.ny values are taken column by column
/// (x index fastest) and checked against the nx * ny of x and y as the core
/// checks a flat z.
/// \throws std::invalid_argument  z.nx * z.ny overflows std::size_t.
void postscript_map(std::span<const float> x, std::span<const float> y, grid_view<float> z,
                    const postscript_options& options = {});

/// The same from a double-precision grid, each value rounded to single
/// precision.
/// \throws std::invalid_argument  z.nx * z.ny overflows std::size_t.
void postscript_map(std::span<const double> x, std::span<const double> y, grid_view<double> z,
                    const postscript_options& options = {});

}  // namespace mapplot
