#pragma once

/// \file
/// The console: where the map operations' lines go, and how a caller takes
/// them by installing a console_sink of its own (CMake: with any component).

#include <cstddef>
#include <mapplot/export.hpp>
#include <string_view>

namespace mapplot {

/// Where the console lines of the map operations go ("  Output in Map.dat",
/// warnings, the zoom's frame lines): standard output unless a sink is
/// installed. The windowing layer installs its console window while a windowed
/// program runs.
class MAPPLOT_API console_sink {
 public:
  virtual ~console_sink() = default;
  /// One finished line, without its line end.
  virtual void write_line(std::string_view line) = 0;
  /// Characters per line; longer statements are wrapped to this width before
  /// write_line sees them.
  virtual std::size_t line_width() const = 0;
};

/// Installs `sink` for all later console lines, from every thread; nullptr
/// restores standard output. The caller keeps ownership and must put the
/// previous sink back before destroying `sink`. Returns the sink installed
/// before (nullptr for standard output).
MAPPLOT_API console_sink* install_console_sink(console_sink* sink);

}  // namespace mapplot
