#pragma once

/// \file
/// The plot file output: postscript_map() writes a map request through
/// PGPLOT ("Map.ps", device "ps", by default), in four overloads for single
/// or double precision and a flat or two-dimensional grid. It needs PGPLOT
/// but not Qt (CMake: mapplot::psmap; pkg-config: mapplot-psmap).

#include <mapplot/export.hpp>
#include <mapplot/map_request.hpp>
#include <span>

namespace mapplot {

/// Writes the map request as a plot file through PGPLOT: the core overload,
/// single precision with the values flat.
///
/// The plot holds a grey-scale image of the grid (smallest value black,
/// largest white), its outline, the axes box, the value wedge at the right
/// and the labels. The other overloads bring their data to this form as the
/// image is made, which is the one copy of the values a call makes. Calls may
/// come from several threads: they are made one at a time, as PGPLOT has
/// global state. The caller's arrays are only read.
///
/// \param x  The x coordinates, nx of them; a single one makes a cell one
///           unit wide centred on it.
/// \param y  The y coordinates, ny of them.
/// \param z  The values, x index fastest: value (p, q) at p + q * nx. Surplus
///           values are ignored; cells without a value stay blank.
/// \param options  logscale (false), xlabel ("x"), ylabel ("y"), title
///           ("Representation of z=z(x,y)"), filename ("Map.ps"), device
///           ("ps"). The file name follows the device type: a name ending
///           in "ps" takes the type in place of those two letters unless it
///           is "ps" ("Map.cps" for "cps").
///
/// Devices: PS and CPS (PostScript, grey and colour, landscape pages), VPS
/// and VCPS (the same on portrait pages), GIF and VGIF (landscape, portrait),
/// PNG and TPNG (transparent background), LATEX, NULL (no file) and PGPLOT's
/// X window devices XWINDOW and XSERVE (no file; they open on the program's X
/// display, and PGPLOT asks on standard input before it closes the window).
/// Case does not matter, and a type may be shortened to two letters or more
/// that fit one device only. Any other device, even one the installed PGPLOT
/// offers, is refused: its output cannot be checked complete.
///
/// The file appears under its name only when complete: PGPLOT writes a
/// temporary file beside the target, which is checked for its format's
/// ending (PostScript's "%%EOF", PNG's IEND, GIF's trailer, the LaTeX
/// picture's end), flushed to the disk and renamed over the target. A call
/// that fails keeps an earlier file byte for byte and leaves no temporary
/// file; two processes writing one name at once leave one of their files,
/// whole. The name (blanks around it removed) is a path taken literally:
/// PGPLOT never sees it, so "?x" prompts for nothing, "-" is a file and not
/// standard output, and no name is cut. A symbolic link is written through, a
/// dangling one too; a device or FIFO under the name is written in place.
/// The folder's sync and the signals are handled as for data_map().
///
/// Console lines, as shown:
/// - "  Warning: incompatible array sizes !!!" when nx * ny differs from
///   z.size();
/// - "  Warning: no x coordinates, no plot written" (or y coordinates,
///   values), and no plot;
/// - "  Warning: the x coordinates span no width, map empty" (or "are not
///   all finite", "span more than the number range"), the same lines as on
///   screen: the plot has frame, wedge and labels but no image;
/// - a line counting the values that are not finite: NaN and -inf are drawn
///   at the low end of the scale, +inf at the high end. A range of values
///   wider than PGPLOT's image can take (about 1e36) is drawn divided by a
///   power of ten, which the wedge's label gives ("x10^38");
/// - "  Array is flat!" when the values span less than 1e-6;
/// - "  Cannot open plot device /xw" when PGPLOT's window device cannot open;
/// - "  Cannot write plot file <file>" before the std::system_error below;
/// - "  Warning: folder entry of <file> may not be durable (<reason>)" when
///   the folder of a file complete under its name cannot be synced;
/// - "  Output in <file>" last, only for a file complete under its name.
///
/// \throws std::invalid_argument  Before anything is written or drawn: a
///         device type PGPLOT does not know, a one-letter or ambiguous
///         abbreviation, a device whose output cannot be checked (terminals,
///         plotters, other formats), a blank file name for a file device, a
///         name holding a NUL byte, a grid whose nx * ny overflows the size of
///         an array, or more cells than PGPLOT's int can index.
/// \throws std::system_error  The file cannot be created or written whole
///         (missing folder, full disk, file size limit, ...); the message
///         names the file and the reason.
/// \throws std::bad_alloc  Memory for the plot's copy of the grid runs out.
MAPPLOT_API void postscript_map(std::span<const float> x, std::span<const float> y,
                                std::span<const float> z, const postscript_options& options = {});

/// The same from double-precision data, each value rounded to the nearest
/// single-precision one.
/// \throws std::invalid_argument  As the core overload: before anything is
///         written, for the device type, the file name or the grid's size.
/// \throws std::system_error  As the core overload: the file cannot be
///         created or written whole.
/// \throws std::bad_alloc  Memory for the plot's copy of the grid runs out.
MAPPLOT_API void postscript_map(std::span<const double> x, std::span<const double> y,
                                std::span<const double> z, const postscript_options& options = {});

/// The same from a grid: its z.nx * z.ny values are taken column by column
/// (x index fastest) and checked against the nx * ny of x and y as the core
/// checks a flat z.
/// \throws std::invalid_argument  z.nx * z.ny overflows std::size_t, or as
///         the core overload: the device type, the file name, the grid's size.
/// \throws std::system_error  As the core overload: the file cannot be
///         created or written whole.
/// \throws std::bad_alloc  Memory for the plot's copy of the grid runs out.
MAPPLOT_API void postscript_map(std::span<const float> x, std::span<const float> y,
                                grid_view<float> z, const postscript_options& options = {});

/// The same from a double-precision grid, each value rounded to single
/// precision.
/// \throws std::invalid_argument  z.nx * z.ny overflows std::size_t, or as
///         the core overload: the device type, the file name, the grid's size.
/// \throws std::system_error  As the core overload: the file cannot be
///         created or written whole.
/// \throws std::bad_alloc  Memory for the plot's copy of the grid runs out.
MAPPLOT_API void postscript_map(std::span<const double> x, std::span<const double> y,
                                grid_view<double> z, const postscript_options& options = {});

}  // namespace mapplot
