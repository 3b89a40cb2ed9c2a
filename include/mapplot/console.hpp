#pragma once

/// \file
/// The console: where the map operations' lines go, and how a caller takes
/// them (CMake: with any component).

#include <cstddef>
#include <mapplot/export.hpp>
#include <string>
#include <string_view>
#include <vector>

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

/// Collects the console lines written while it lives instead of showing them,
/// then puts back the console it replaced: for a caller that wants the
/// messages of a map operation, and for tests. Create and destroy captures in
/// nested order.
class console_capture final : public console_sink {
 public:
  /// `width`: the line width to wrap at; 80, as in a data file, by default.
  explicit console_capture(std::size_t width = 80)
      : width_(width), replaced_(install_console_sink(this)) {}
  ~console_capture() override { install_console_sink(replaced_); }
  console_capture(const console_capture&) = delete;
  console_capture& operator=(const console_capture&) = delete;

  void write_line(std::string_view line) override { lines.emplace_back(line); }
  std::size_t line_width() const override { return width_; }

  /// The lines in the order they were written.
  std::vector<std::string> lines;

 private:
  std::size_t width_;
  console_sink* replaced_;
};

}  // namespace mapplot
