#include "driver/julia_zoom.hpp"
#include "platform/application.hpp"

int main(int argc, char** argv) {
  return mapplot::run_windowed_program(argc, argv, "julia_zoom", mapplot::julia_zoom);
}
