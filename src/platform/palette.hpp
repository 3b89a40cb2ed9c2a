#pragma once

#include <cstdint>

#include "internal_api.hpp"

namespace mapplot {

struct rgb_color {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  friend bool operator==(const rgb_color&, const rgb_color&) = default;
};

inline constexpr int default_palette_size = 16;

// The platform's 16-colour default palette (entry 1 navy, 5 purple, 7 silver).
// Indices outside 0..15 wrap round into the palette rather than reading past it.
MAPPLOT_INTERNAL_API rgb_color default_palette_color(int palette_index);

// Clamps each component to 0..255.
MAPPLOT_INTERNAL_API rgb_color clamped_rgb(int red, int green, int blue);

}  // namespace mapplot
