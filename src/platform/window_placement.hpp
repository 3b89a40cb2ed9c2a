#pragma once

#include "internal_api.hpp"

namespace mapplot {

// Where the layer puts its windows on a screen, in screen pixels. Sizes are a
// window's own (client) size; positions are those of its outer corner, window
// manager decoration included, as a window is moved.

struct screen_area {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  int right() const { return left + width; }  // one past the last column
  int bottom() const { return top + height; }
  friend bool operator==(const screen_area&, const screen_area&) = default;
};

// What a window manager adds around a window: title bar and borders.
struct decoration {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

// Space kept between windows.
inline constexpr int window_gap = 8;
// How far each further graphics window is moved down (and right, where there
// is room), so that every title stays visible.
inline constexpr int cascade_step = 32;

// The frame window: at the top left of `available`, no larger than it wants
// to be, and narrow enough that a graphics window of `graphics_width` fits
// beside it; it never leaves the available area, so its input line stays on
// screen. Returns the outer corner with the client size.
MAPPLOT_INTERNAL_API screen_area frame_window_area(screen_area available, int wanted_width,
                                                   int wanted_height, int narrowest_width,
                                                   int graphics_width, decoration around);

// Graphics window `number`: beside the frame window (outer area `frame`),
// cascading by number from the top (101 first), kept inside `available`.
// Returns the outer corner with the client size.
MAPPLOT_INTERNAL_API screen_area graphics_window_area(screen_area available, screen_area frame,
                                                      int number, int width, int height,
                                                      decoration around);

// Whether two outer areas share a pixel.
bool overlapping(const screen_area& first, const screen_area& second);

}  // namespace mapplot
