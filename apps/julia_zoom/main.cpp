#include <mapplot/application.hpp>

#include "julia_zoom/zoom_command_line.hpp"
#include "julia_zoom/zoom_routine.hpp"

int main(int argc, char** argv) {
  mapplot::zoom_options options;
  // --help, --version and usage errors are answered before any window exists.
  if (const auto status = mapplot::read_zoom_command_line(argc, argv, options)) return *status;
  // The other arguments are ours, so Qt sees only the program's name.
  return mapplot::run_windowed_program(1, argv, "julia_zoom", mapplot::zoom_routine(options));
}
