#pragma once

/// \file
/// The map request that screen_map(), postscript_map() and data_map() take:
/// x coordinates, y coordinates, a grid of values (a grid_view, or the same
/// grid flattened into one array), then each output's optional arguments.

#include <cstddef>
#include <limits>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

/// Everything mapplot offers a program. The free functions, by header:
/// - <mapplot/data_map.hpp>: data_map(), four overloads (float or double,
///   flat or grid_view), writing a text data file;
/// - <mapplot/postscript_map.hpp>: postscript_map(), the same four, writing
///   a plot file through PGPLOT;
/// - <mapplot/screen_map.hpp>: screen_map(), the same four, drawing in a
///   window of the windowing layer;
/// - <mapplot/application.hpp>: run_windowed_program(), which starts the
///   windowing layer and runs the program's routine;
/// - <mapplot/window_pictures.hpp>: presented_picture(),
///   add_frame_receiver() and remove_frame_receiver() (or the class
///   frame_subscription) for the pictures windows present;
/// - <mapplot/console.hpp>: install_console_sink(), where console lines go;
/// - <mapplot/julia_zoom.hpp>: julia_fixed_point(), julia_window(),
///   julia_grid(), julia_counts() (two overloads) and julia_zoom().
///
/// The classes that own something: screen_session (<mapplot/screen_session.hpp>,
/// the windowing layer inside a Qt program of its own), map_widget
/// (<mapplot/map_widget.hpp>, a map in the program's own window) and
/// frame_subscription. The maps over MPI ranks are in mapplot::parallel.
namespace mapplot {

/// A two-dimensional grid of nx * ny values that the caller owns. The first
/// index runs along x and is fastest in memory, so element (p, q) (0-based)
/// stands at `data[p + q * nx]`. The map operations only read it, and only
/// while they run; the grid's nx and ny need not equal the sizes of x and y
/// (see each operation).
///
/// Make one with of(), which checks that the values are there:
/// `mapplot::grid_view<float>::of(z, nx, ny)` for a std::vector<float> z. The
/// members can also be given directly (`{z.data(), nx, ny}`); then nothing
/// checks them, and a grid with fewer than nx * ny values is read past its end.
template <class T>
struct grid_view {
  const T* data;   ///< The nx * ny values; may be null when nx * ny is 0.
  std::size_t nx;  ///< Values along x: the first, fastest index.
  std::size_t ny;  ///< Values along y: the second index.

  /// A view of the first nx * ny of `values` as a grid of nx by ny.
  /// \throws std::invalid_argument  `values` holds fewer than nx * ny
  ///         values, or nx * ny overflows std::size_t.
  static grid_view of(std::span<const T> values, std::size_t nx, std::size_t ny) {
    if (ny != 0 && nx > std::numeric_limits<std::size_t>::max() / ny) {
      throw std::invalid_argument("grid_view: a grid of " + std::to_string(nx) + " x " +
                                  std::to_string(ny) + " values overflows the size of an array");
    }
    if (values.size() < nx * ny) {
      throw std::invalid_argument("grid_view: a grid of " + std::to_string(nx) + " x " +
                                  std::to_string(ny) + " values over only " +
                                  std::to_string(values.size()) + " values");
    }
    return {values.data(), nx, ny};
  }
};

/// The x label when none is given.
inline constexpr std::string_view default_xlabel = "x";
/// The y label when none is given.
inline constexpr std::string_view default_ylabel = "y";
/// The title when none is given (data_map() of double-precision flat data has
/// its own, "Representation of y=y(x)").
inline constexpr std::string_view default_title = "Representation of z=z(x,y)";
/// The plot file's name when none is given. Like any name ending in "ps", it
/// takes the device type in place of those letters: "Map.cps" for "cps".
inline constexpr std::string_view default_plot_file_name = "Map.ps";
/// The plot file's device type when none is given: PGPLOT's PostScript.
inline constexpr std::string_view default_device_type = "ps";
/// The data file's name when none is given.
inline constexpr std::string_view default_data_file_name = "Map.dat";

// The empty initializers let callers name only the options they give without
// -Wmissing-field-initializers.

/// The optional arguments of screen_map(), in their documented order; write
/// them as designated initializers: `{.title = "Field", .ownwindow = true}`.
///
/// An absent member takes its default. A text that is given is used even
/// when it is empty or blank; labels and title lose their leading and
/// trailing blanks, and any text is cut to 80 characters.
struct screen_options {
  /// Draw the base-10 logarithms of the values and show the title as
  /// "log(title)". Default false.
  std::optional<bool> logscale{};
  std::optional<std::string_view> xlabel{};  ///< Default "x".
  std::optional<std::string_view> ylabel{};  ///< Default "y".
  /// Default "Representation of z=z(x,y)". PGPLOT's marks "\u" and "\d"
  /// are removed, with the blanks beside them.
  std::optional<std::string_view> title{};
  /// The layout in pixels: 1 or less 580 x 270 (580 x 290 without
  /// `ownwindow`), 2 741 x 451, 3 or more 1005 x 662. Default 1.
  std::optional<int> winsize{};
  /// Draw into a graphics window of the map's own rather than into the
  /// current window. Default false. See screen_map() for how it goes with
  /// `update`.
  std::optional<bool> ownwindow{};
  /// Redraw into the window an earlier call prepared, without clearing it.
  /// Default false.
  std::optional<bool> update{};
};

/// The optional arguments of postscript_map(), in their documented order.
///
/// An absent member takes its default. A text that is given is used even
/// when it is empty or blank; the labels lose their leading and trailing
/// blanks, the title keeps its own, and labels, title and device type are
/// cut to 80 characters. The file name loses its leading and trailing
/// blanks, after a name ending in "ps" has taken the device type, and is
/// otherwise used whole, never cut: "  field.ps  " writes "field.ps".
struct postscript_options {
  /// Plot the base-10 logarithms of the values and show the title as
  /// "log(title)". Default false.
  std::optional<bool> logscale{};
  std::optional<std::string_view> xlabel{};  ///< Default "x".
  std::optional<std::string_view> ylabel{};  ///< Default "y".
  /// Default "Representation of z=z(x,y)". PGPLOT draws "\u" and "\d" as
  /// superscript and subscript.
  std::optional<std::string_view> title{};
  /// Default "Map.ps". A name ending in "ps" takes the device type in place
  /// of those two letters unless the device is "ps": "field.ps" with "cps"
  /// writes "field.cps", "plot.dat" stays "plot.dat".
  std::optional<std::string_view> filename{};
  /// A PGPLOT device type, one of "ps" (default: PostScript, landscape),
  /// "vps" (PostScript, portrait), "cps" and "vcps" (colour PostScript),
  /// "gif" and "vgif", "png" and "tpng", "latex", "null" (no file), and the X
  /// window devices "xwindow" and "xserve" (no file). Case does not matter,
  /// and two letters or more that fit one type suffice. Other devices, even
  /// those the installed PGPLOT offers, are refused (std::invalid_argument),
  /// because their files cannot be checked complete.
  std::optional<std::string_view> device{};
};

/// The optional arguments of data_map(), in their documented order.
///
/// An absent member takes its default. A text that is given is used even
/// when it is empty or blank; the labels lose their leading and trailing
/// blanks, the title keeps its own, and labels and title are cut to 80
/// characters. The file name loses its leading and trailing blanks and is
/// otherwise used whole, never cut: "  field.dat  " writes "field.dat".
struct data_options {
  /// Write the base-10 logarithms of the values and the title as
  /// "log(title)". Default false.
  std::optional<bool> logscale{};
  std::optional<std::string_view> xlabel{};  ///< Default "x".
  std::optional<std::string_view> ylabel{};  ///< Default "y".
  /// Default "Representation of z=z(x,y)"; "Representation of y=y(x)" for
  /// double-precision flat data.
  std::optional<std::string_view> title{};
  std::optional<std::string_view> filename{};  ///< Default "Map.dat".
};

}  // namespace mapplot
