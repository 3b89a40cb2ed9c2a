// A caller that draws a 3 x 2 map into the program's current window (the text
// console), then writes a line once Enter has been typed.
#include <mapplot/application.hpp>
#include <mapplot/screen_map.hpp>
#include <vector>

#include "textout/write_console.hpp"

int main(int argc, char** argv) {
  return mapplot::run_windowed_program(argc, argv, "console_map", [] {
    std::vector<double> x{0, 1, 2}, y{0, 1}, z{0, 1, 2, 3, 4, 5};
    mapplot::screen_map(x, y, z, {.title = "console map"});
    mapplot::write_console({std::string_view("after Enter")});
  });
}
