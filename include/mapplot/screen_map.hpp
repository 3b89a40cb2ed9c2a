#pragma once

/// \file
/// The screen map: screen_map() draws a map request as a grey-level map with
/// a legend in a window of the windowing layer, in four overloads for single
/// or double precision and a flat or two-dimensional grid. It needs Qt 6
/// (CMake: mapplot::screenmap; pkg-config: mapplot-screenmap); the program
/// starts the windowing layer with run_windowed_program() and calls
/// screen_map() from the routine it gives it, or, inside a Qt program of
/// its own, creates a screen_session (<mapplot/screen_session.hpp>) and calls
/// screen_map() from its worker threads.

#include <mapplot/export.hpp>
#include <mapplot/map_request.hpp>
#include <span>

namespace mapplot {

/// Draws the grid as a grey-level map, here from double-precision values
/// flat. No overload changes the caller's arrays: they are only read, and
/// the window keeps one copy of the values in their own precision (float
/// stays float) so that it can draw the map again.
///
/// The map fills a square framed in purple, one rectangle per value from
/// black (smallest) to white (largest); where several values fall on one
/// pixel, the pixel shows the last of them (the largest x index, then the
/// largest y index). A legend beside it gives the x label, the y label and
/// the title, each with the minimum and maximum of x, y and the values.
/// Drawing costs the window's pixels, not the values: after one pass over
/// the values (their range) a map of any size is drawn in the time of a
/// small one.
///
/// `ownwindow` and `update` go together like this:
/// - `ownwindow` true, `update` false prepares: it opens a new graphics
///   window, numbered 101, 102, ... and titled with the title, clears it and
///   draws the frame, then the map;
/// - `ownwindow` true, `update` true redraws the map and its legend into the
///   newest own window without clearing it: the later frames of an
///   animation (call once with false, then with true);
/// - `ownwindow` false draws into the current window (the console window
///   until an own window has been used; `update` false clears it first) and
///   returns only once a line has been entered on the console (standard
///   input off screen), with that window back in its text configuration.
///
/// \param x  The x coordinates of the grid's columns, nx of them, increasing.
/// \param y  The y coordinates of the grid's rows, ny of them, increasing.
/// \param z  The values, x index fastest: value (p, q) at p + q * nx; at
///           least nx * ny of them (any beyond take part in the range but
///           are not drawn). Only read: `const` data is accepted. Each is
///           shown in the grey (v - min) * 255 / (max - min), rounded, with
///           min and max the smallest and largest finite value (of the
///           logarithms under `logscale`).
/// \param options  logscale (false), xlabel ("x"), ylabel ("y"), title
///           ("Representation of z=z(x,y)"), winsize (1), ownwindow
///           (false), update (false).
///
/// Console lines, as shown, each after what was drawn:
/// - "  Warning: no windowing layer is running, maps are not drawn", once
///   per program, when no windowing layer runs (nothing is drawn);
/// - "  Warning: no x coordinates, nothing drawn" (likewise y) and
///   "  Warning: <n> values for a <nx> x <ny> grid, nothing drawn": the
///   window is prepared and nothing else is drawn;
/// - "  Warning: the x coordinates span no width, map empty" (likewise y,
///   "span no height"), "... are not all finite, map empty" (no cells are
///   drawn then) and "... span more than the number range, map empty": the
///   same lines as for plot files;
/// - "  Warning: <k> of <n> values not finite, NaN shown blue, -inf black,
///   +inf white": the scale spans the finite values.
///
/// Values that are all equal draw no cells and no legend. Calls from several
/// threads are made one at a time.
///
/// Each call that draws is one frame, shown whole once the call has drawn its
/// last item (see <mapplot/window_pictures.hpp> to receive every frame). On
/// screen a call keeps pace with the screen: it may wait for the previous
/// frame to be painted and for its turn, one refresh period after the last, so
/// an animation plays at the screen's rate; a window that does not paint
/// (hidden, minimised) holds a call up by at most about 100 ms.
///
/// \throws std::bad_alloc  Memory for the kept copy runs out.
/// \throws std::logic_error  `ownwindow` false while a screen_session is the
///         windowing layer: there is no console to wait on, and nothing is
///         drawn (every overload).
MAPPLOT_API void screen_map(std::span<const double> x, std::span<const double> y,
                            std::span<const double> z, const screen_options& options = {});

/// The same from single-precision data: the caller's arrays are only read,
/// and the window keeps the values as single precision (the scale works in
/// double precision, on the values widened exactly).
/// \throws std::bad_alloc  Memory for the kept copy runs out.
/// \throws std::logic_error  `ownwindow` false while a screen_session is the
///         windowing layer; nothing is drawn.
MAPPLOT_API void screen_map(std::span<const float> x, std::span<const float> y,
                            std::span<const float> z, const screen_options& options = {});

/// The same from a grid, read in memory order (x index fastest): the
/// caller's arrays are only read. The grid needs at least as many values as
/// x.size() * y.size(), whatever its own nx and ny.
/// \throws std::invalid_argument  z.nx * z.ny overflows std::size_t.
/// \throws std::bad_alloc  Memory for the kept copy runs out.
/// \throws std::logic_error  `ownwindow` false while a screen_session is the
///         windowing layer; nothing is drawn.
MAPPLOT_API void screen_map(std::span<const double> x, std::span<const double> y,
                            grid_view<double> z, const screen_options& options = {});

/// The same from a single-precision grid, kept in single precision: the
/// caller's arrays are only read. The Julia zoom calls this one.
/// \throws std::invalid_argument  z.nx * z.ny overflows std::size_t.
/// \throws std::bad_alloc  Memory for the kept copy runs out.
/// \throws std::logic_error  `ownwindow` false while a screen_session is the
///         windowing layer; nothing is drawn.
MAPPLOT_API void screen_map(std::span<const float> x, std::span<const float> y, grid_view<float> z,
                            const screen_options& options = {});

}  // namespace mapplot
