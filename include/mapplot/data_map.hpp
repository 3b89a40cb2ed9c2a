#pragma once

/// \file
/// The data file output: data_map() writes a map request as a plain text
/// file ("Map.dat" by default), in four overloads for single or double
/// precision and a flat or two-dimensional grid. It needs neither Qt nor
/// PGPLOT (CMake: mapplot::datamap; pkg-config: mapplot-datamap).
///
/// The file's lines end with CR LF and hold at most 80 characters: nx, ny
/// and 1 in 12 characters each; the nx x values, the ny y values and the
/// values (x index fastest), one 15-character number a line; then the x
/// label, the y label and the title, each after one blank. A text line
/// longer than 80 characters goes on after one blank on the next line.

#include <mapplot/export.hpp>
#include <mapplot/map_request.hpp>
#include <span>
#include <string_view>

namespace mapplot {

/// Writes the map request as a text data file: the core overload, single
/// precision with the values flat.
///
/// \param x  The x coordinates, nx of them.
/// \param y  The y coordinates, ny of them.
/// \param z  The values, x index fastest: value (p, q) at p + q * nx. All of
///           them are written, whether or not there are nx * ny.
/// \param options  logscale (false), xlabel ("x"), ylabel ("y"), title
///           ("Representation of z=z(x,y)"), filename ("Map.dat"). Under
///           logscale the base-10 logarithms are written: zero gives
///           "      -Infinity", a negative value "            NaN".
///
/// Console: "  Warning: incompatible array sizes !!!" first when nx * ny
/// differs from z.size() (the file is written all the same), then
/// "  Output in <file>" once the file is complete under its name.
///
/// The file appears under its name only when complete: it is written beside
/// the target under a temporary name, flushed to the disk and renamed over
/// it. A call that fails keeps an earlier file of that name byte for byte and
/// leaves no temporary file; two processes writing one name at once leave one
/// of their files, whole. Its permissions and owner are kept.
///
/// Once the file has its name, only the sync of its folder can still fail:
/// the file is then complete but its folder entry may not survive a crash,
/// and the call succeeds after the console line
/// "  Warning: folder entry of <file> may not be durable (<reason>)".
///
/// Signals: a fatal signal during the write (SIGINT, SIGTERM, SIGHUP, ...)
/// removes the temporary file before it ends the process. For this, the
/// first file written installs handlers for those fatal signals that are
/// still at their default disposition (a handler of the program's own is
/// left alone), and sets SIGXFSZ to be ignored when it is at its default, so
/// that a file size limit makes the call throw (EFBIG) instead of ending the
/// process.
///
/// The name (blanks around it removed) is a path taken literally: "-" or "?x"
/// name files like any other, and it is never cut. A symbolic link is written
/// through and kept, a dangling one too; a device or FIFO under the name is
/// written in place.
///
/// Control characters in labels and title are written as blanks, so the last
/// three lines stay three; texts are cut before a UTF-8 character that would
/// not fit, never inside one.
///
/// The values are written straight from the caller's arrays, which are only
/// read: a grid is already in the file's order, and double values are
/// rounded to single precision as they are written. Nothing is copied.
///
/// \throws std::invalid_argument  Before anything is written: the file name
///         is blank or holds a NUL byte, or a grid's nx * ny overflows the
///         size of an array.
/// \throws std::system_error  The file cannot be created or written (missing
///         folder, full disk, file size limit, ...); the message names the
///         file and the reason.
MAPPLOT_API void data_map(std::span<const float> x, std::span<const float> y,
                          std::span<const float> z, const data_options& options = {});

/// The same from double-precision data, each value rounded to the nearest
/// single-precision one (beyond its range: an infinity). The default title
/// is "Representation of y=y(x)".
/// \throws std::invalid_argument  As the core overload: the file name is
///         blank or holds a NUL byte.
/// \throws std::system_error  As the core overload: the file cannot be
///         created or written; the message names the file and the reason.
MAPPLOT_API void data_map(std::span<const double> x, std::span<const double> y,
                          std::span<const double> z, const data_options& options = {});

/// The same from a grid: its z.nx * z.ny values are written column by column
/// (x index fastest), and checked against the nx * ny of x and y as the
/// core checks a flat z.
/// \throws std::invalid_argument  z.nx * z.ny overflows std::size_t, or the
///         file name is blank or holds a NUL byte.
/// \throws std::system_error  As the core overload: the file cannot be
///         created or written; the message names the file and the reason.
MAPPLOT_API void data_map(std::span<const float> x, std::span<const float> y, grid_view<float> z,
                          const data_options& options = {});

/// The same from a double-precision grid, each value rounded to single
/// precision.
/// \throws std::invalid_argument  z.nx * z.ny overflows std::size_t, or the
///         file name is blank or holds a NUL byte.
/// \throws std::system_error  As the core overload: the file cannot be
///         created or written; the message names the file and the reason.
MAPPLOT_API void data_map(std::span<const double> x, std::span<const double> y, grid_view<double> z,
                          const data_options& options = {});

}  // namespace mapplot
