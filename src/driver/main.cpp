#include <mapplot/application.hpp>
#include <mapplot/julia_zoom.hpp>

int main(int argc, char** argv) {
  return mapplot::run_windowed_program(argc, argv, "julia_zoom", mapplot::julia_zoom);
}
