#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/recording_window_system.hpp"
#include "textout/console_capture.hpp"

namespace mapplot::testing {

inline std::string operation_of(const std::string& call) {
  return call.substr(0, call.find(' '));
}

// The blank-separated arguments of a recorded call that takes no text.
inline std::vector<std::string> arguments_of(const std::string& call) {
  std::istringstream words(call);
  std::vector<std::string> arguments;
  std::string word;
  words >> word;
  while (words >> word) arguments.push_back(word);
  return arguments;
}

inline std::vector<double> reals_of(const std::string& call) {
  std::vector<double> reals;
  for (const auto& argument : arguments_of(call)) {
    if (argument != "filled" && argument != "outline" && argument != "true" &&
        argument != "false") {
      reals.push_back(std::stod(argument));
    }
  }
  return reals;
}

// Runs each test against a fresh recording and a captured console.
class ScreenMapTest : public ::testing::Test {
 protected:
  recording_window_system windows;
  console_capture console;

  void SetUp() override { install_window_system(&windows); }
  void TearDown() override { install_window_system(nullptr); }

  std::vector<std::string> operations() const {
    std::vector<std::string> names;
    for (const auto& call : windows.calls) names.push_back(operation_of(call));
    return names;
  }

  std::vector<std::string> calls_of(std::string_view operation) const {
    std::vector<std::string> found;
    for (const auto& call : windows.calls) {
      if (operation_of(call) == operation) found.push_back(call);
    }
    return found;
  }

  // The texts of the draw_text calls, in order.
  std::vector<std::string> drawn_texts() const {
    std::vector<std::string> texts;
    for (const auto& call : calls_of("draw_text")) {
      const auto open = call.find('"');
      texts.push_back(call.substr(open + 1, call.size() - open - 2));
    }
    return texts;
  }

  // The first map drawn; null when none was.
  const map_data* drawn_map() const {
    return windows.maps.empty() ? nullptr : windows.maps.front().get();
  }

  // The colour of each cell of the first map, in drawing order (rows outer,
  // columns inner), as "red green blue".
  std::vector<std::string> cell_colors() const {
    std::vector<std::string> colors;
    const map_data* map = drawn_map();
    if (map == nullptr) return colors;
    const grey_scale scale(map->zmin, map->zmax);
    for (std::size_t row = 0; row < map->row_count(); ++row) {
      for (std::size_t column = 0; column < map->column_count(); ++column) {
        const argb_pixel pixel =
            grey_pixel(scale.level(scaled_quantity(map_value(*map, column, row), map->logscale)));
        colors.push_back(std::to_string((pixel >> 16) & 0xff) + ' ' +
                         std::to_string((pixel >> 8) & 0xff) + ' ' + std::to_string(pixel & 0xff));
      }
    }
    return colors;
  }
};

}  // namespace mapplot::testing
