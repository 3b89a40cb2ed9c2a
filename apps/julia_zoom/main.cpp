#include <cstdlib>
#include <mapplot/application.hpp>

#include "julia_zoom/julia_explorer.hpp"
#include "julia_zoom/zoom_command_line.hpp"
#include "julia_zoom/zoom_routine.hpp"

int main(int argc, char** argv) {
  mapplot::zoom_options options;
  // --help, --version and usage errors are answered before any window exists.
  if (const auto status = mapplot::read_zoom_command_line(argc, argv, options)) return *status;
  if (options.explore_frame) {
    const bool no_display =
        std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr;
    if (no_display) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    return mapplot::run_julia_explorer(*options.explore_frame, options.off_screen || no_display);
  }
  // The other arguments are ours, so Qt sees only the program's name.
  return mapplot::run_windowed_program(1, argv, "julia_zoom", mapplot::zoom_routine(options));
}
