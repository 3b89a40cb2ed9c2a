#pragma once

#include <optional>

#include "internal_api.hpp"

namespace mapplot {

// Whole pixels, corners inclusive; left <= right and top <= bottom once normalised.
struct pixel_rectangle {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  friend bool operator==(const pixel_rectangle&, const pixel_rectangle&) = default;
};

struct pixel_point {
  int x = 0;
  int y = 0;
  friend bool operator==(const pixel_point&, const pixel_point&) = default;
};

// The world coordinates of a viewport: (x1, y1) is the lower-left corner when
// y runs upwards, the upper-left corner otherwise.
struct world_window {
  bool y_upwards = false;
  double x1 = 0;
  double y1 = 0;
  double x2 = 1;
  double y2 = 1;
};

// Largest canvas side: pixel coordinates are clamped into [0, limit) so that a
// stray coordinate cannot ask for a huge canvas.
inline constexpr int canvas_extent_limit = 4096;

MAPPLOT_INTERNAL_API pixel_rectangle normalised(pixel_rectangle rectangle);

// The part of `rectangle` inside `bounds`, or nothing when they do not meet.
MAPPLOT_INTERNAL_API std::optional<pixel_rectangle> clipped(pixel_rectangle rectangle,
                                                            pixel_rectangle bounds);

// Pixel corners given relative to the viewport's first corner, made absolute
// without integer overflow whatever the caller passes.
MAPPLOT_INTERNAL_API pixel_rectangle viewport_relative_to_window(pixel_rectangle viewport, int x1,
                                                                 int y1, int x2, int y2);

// The world point's pixel: the left world edge falls on the viewport's left
// pixel, the right edge on its right pixel; with y upwards the bottom world edge
// falls on the bottom pixel. Nothing for NaN or infinite coordinates or a world
// window of zero (or non-finite) extent.
MAPPLOT_INTERNAL_API std::optional<pixel_point> world_to_pixel(const pixel_rectangle& viewport,
                                                               const world_window& world, double x,
                                                               double y);

// The two halves of world_to_pixel: the pixel column of a world x and the pixel
// row of a world y. A grid of cells needs only its edges converted, one
// direction at a time, and gets exactly the pixels world_to_pixel gives.
std::optional<int> world_to_pixel_column(const pixel_rectangle& viewport, const world_window& world,
                                         double x);
std::optional<int> world_to_pixel_row(const pixel_rectangle& viewport, const world_window& world,
                                      double y);

// A world rectangle's corners rounded to pixels, not clipped (an outline needs
// to know which of its edges lie outside the viewport).
MAPPLOT_INTERNAL_API std::optional<pixel_rectangle> world_rectangle_corners(
    const pixel_rectangle& viewport, const world_window& world, double x1, double y1, double x2,
    double y2);

// A world rectangle rounded to pixels and clipped to the viewport.
std::optional<pixel_rectangle> world_rectangle_to_pixels(const pixel_rectangle& viewport,
                                                         const world_window& world, double x1,
                                                         double y1, double x2, double y2);

}  // namespace mapplot
