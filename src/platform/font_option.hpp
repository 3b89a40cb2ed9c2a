#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "internal_api.hpp"

namespace mapplot {

// A font as the option text t'face'h<height>w<width> names it: the face and the
// character cell in pixels.
struct font_choice {
  std::string face;
  int height = 12;
  int width = 8;
  friend bool operator==(const font_choice&, const font_choice&) = default;
};

inline constexpr int largest_font_size = 1000;

// "t'modern'h14w9" gives {modern, 14, 9}. Nothing for malformed text, an empty
// face or a size outside 1..largest_font_size, so the caller keeps its font.
MAPPLOT_INTERNAL_API std::optional<font_choice> parse_font_option(std::string_view option_text);

// The font of a window in text use: Terminal, 12 pixels high, 8 wide.
MAPPLOT_INTERNAL_API font_choice terminal_font();

}  // namespace mapplot
