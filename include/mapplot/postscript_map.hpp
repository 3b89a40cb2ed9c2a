#pragma once

#include <mapplot/map_request.hpp>
#include <span>

namespace mapplot {

// Writes the map request as a plot file through PGPLOT ("Map.ps", device
// "ps" by default): grey-scale image, outline, axes box, wedge and labels,
// then reports "Output in <file>" on the console.
//
// The core is the single-precision overload with flat `z`; the others
// bring their data to that form as the image is made, which is the one copy
// of the values a call makes. Calls may come from several threads: they are
// made one at a time, as PGPLOT has global state.
//
// Devices: PS, VPS, CPS and VCPS (PostScript), GIF and VGIF, PNG and TPNG,
// LATEX, NULL (no file) and PGPLOT's X window devices XWINDOW and XSERVE
// (no file; they open on the program's X display, and PGPLOT asks on
// standard input before it closes the window). Case does not matter, and a
// type may be shortened to two letters or more that fit one device only.
//
// The file:
// - appears under its name only when complete: PGPLOT writes a temporary
//   file beside the target, which is checked for its format's ending
//   (PostScript's "%%EOF", PNG's IEND, GIF's trailer, the LaTeX picture's
//   end), flushed to the disk and renamed over the target. A call that fails
//   keeps an earlier file byte for byte and leaves no temporary file; two
//   processes writing one name at once leave one of their files, whole.
//   "Output in" is written only for a file complete under its name.
// - The name (blanks around it removed) is a path taken literally: PGPLOT
//   never sees it, so "?x" prompts for nothing, "-" is a file and not
//   standard output, and no name is cut. A symbolic link is written through,
//   a dangling one too; a device or FIFO under the name is written in place.
//
// Throws:
// - std::system_error naming the file and the reason, after the console
//   line "Cannot write plot file <file>", when the file cannot be created or
//   written whole (missing folder, full disk, file size limit, ...).
// - std::invalid_argument, before anything is written or drawn, for a device
//   type PGPLOT does not know, a one-letter or ambiguous abbreviation, a
//   device whose output cannot be checked (terminals, plotters, other
//   formats), a blank file name for a file device, a name holding a NUL
//   byte, a grid whose nx * ny overflows the size of an array, and grids of
//   more cells than PGPLOT's int can index.
//
// Inputs outside the usual shape, each with one console line:
// - x.size() * y.size() != number of values: " Warning: incompatible array
//   sizes !!!"; surplus values are ignored, and cells without a value stay
//   blank (only the values given are held in memory).
// - empty x, y or z: " Warning: no x coordinates, no plot written" (or y
//   coordinates, values), and no plot.
// - a single coordinate along an axis: that cell is one unit wide, centred
//   on the coordinate.
// - coordinates without spread, not all finite, or spanning more than
//   single precision can place: " Warning: the x coordinates span no width,
//   map empty" (or "are not all finite", "span more than the number range"),
//   the same lines as on screen; the plot has frame, wedge and labels but no
//   image, and no numbers along that axis.
// - values that are not finite: NaN and -inf are drawn at the low end of the
//   scale, +inf at the high end, with one line counting them. A range of
//   values wider than PGPLOT's image can take (about 1e36) is drawn divided
//   by a power of ten, which the wedge's label gives ("x10^38").
// - a range below 1e-6: " Array is flat!", and PGPLOT draws what it does
//   with an empty range.
// - PGPLOT's window device not opening: " Cannot open plot device /xw".
void postscript_map(std::span<const float> x, std::span<const float> y, std::span<const float> z,
                    const postscript_options& options = {});
void postscript_map(std::span<const double> x, std::span<const double> y, std::span<const double> z,
                    const postscript_options& options = {});
void postscript_map(std::span<const float> x, std::span<const float> y, grid_view<float> z,
                    const postscript_options& options = {});
void postscript_map(std::span<const double> x, std::span<const double> y, grid_view<double> z,
                    const postscript_options& options = {});

}  // namespace mapplot
