// A windowed program whose frames are known cell by cell, for the served
// windows' browser tests: window 101 shows an 8 x 6 map, cell (i, j) at
// x = 10 + i, y = 20 + 2 j, with value (i + 10 j + frame) mod 60 in frame 0,
// 1, ... Usage: served_map_program FRAMES MILLISECONDS_BETWEEN_FRAMES [hold];
// with "hold" it draws only once a line has come on standard input, so that a
// test's browsers can be there from the first frame.
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <mapplot/application.hpp>
#include <mapplot/screen_map.hpp>
#include <string>
#include <thread>
#include <vector>

#include "textout/write_console.hpp"

int main(int argc, char** argv) {
  const int frames = argc > 1 ? std::atoi(argv[1]) : 10;
  const int pause = argc > 2 ? std::atoi(argv[2]) : 0;
  const bool hold = argc > 3 && std::string(argv[3]) == "hold";
  return mapplot::run_windowed_program(1, argv, "served_map", [frames, pause, hold] {
    if (hold) {
      std::string line;
      std::getline(std::cin, line);
    }
    constexpr std::size_t columns = 8, rows = 6;
    std::vector<double> x(columns), y(rows), z(columns * rows);
    for (std::size_t i = 0; i < columns; ++i) x[i] = 10.0 + static_cast<double>(i);
    for (std::size_t j = 0; j < rows; ++j) y[j] = 20.0 + 2.0 * static_cast<double>(j);
    for (int frame = 0; frame < frames; ++frame) {
      for (std::size_t j = 0; j < rows; ++j)
        for (std::size_t i = 0; i < columns; ++i)
          z[i + j * columns] =
              static_cast<double>((i + 10 * j + static_cast<std::size_t>(frame)) % 60);
      mapplot::screen_map(x, y, mapplot::grid_view<double>{z.data(), columns, rows},
                          {.title = "served map", .ownwindow = true, .update = frame > 0});
      const std::string line = "frame " + std::to_string(frame);
      mapplot::write_console({std::string_view(line)});
      if (pause > 0) std::this_thread::sleep_for(std::chrono::milliseconds(pause));
    }
  });
}
