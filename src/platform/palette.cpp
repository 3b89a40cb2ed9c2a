#include "platform/palette.hpp"

#include <algorithm>
#include <array>

namespace mapplot {
namespace {

constexpr std::array<rgb_color, default_palette_size> palette{{
    {0, 0, 0},        // black
    {0, 0, 128},      // navy
    {0, 128, 0},      // green
    {0, 128, 128},    // teal
    {128, 0, 0},      // maroon
    {128, 0, 128},    // purple
    {128, 128, 0},    // olive
    {192, 192, 192},  // silver
    {128, 128, 128},  // grey
    {0, 0, 255},      // blue
    {0, 255, 0},      // lime
    {0, 255, 255},    // aqua
    {255, 0, 0},      // red
    {255, 0, 255},    // fuchsia
    {255, 255, 0},    // yellow
    {255, 255, 255},  // white
}};

std::uint8_t component(int value) {
  return static_cast<std::uint8_t>(std::clamp(value, 0, 255));
}

}  // namespace

rgb_color default_palette_color(int palette_index) {
  const int wrapped =
      ((palette_index % default_palette_size) + default_palette_size) % default_palette_size;
  return palette[static_cast<std::size_t>(wrapped)];
}

rgb_color clamped_rgb(int red, int green, int blue) {
  return {component(red), component(green), component(blue)};
}

}  // namespace mapplot
