#pragma once

#include <QImage>
#include <string_view>

#include "platform/font_option.hpp"
#include "platform/map_data.hpp"
#include "platform/palette.hpp"
#include "platform/window_system.hpp"
#include "platform/world_transform.hpp"

namespace mapplot {

// Pixel operations on a canvas image. Rectangles are clipped to the image, so
// a caller first grows the image to hold what it draws.

// Enlarges `image` to at least width x height (capped at canvas_extent_limit);
// new pixels are black. Never shrinks.
void grow_canvas(QImage& image, int width, int height);

// Grows `image` so that it holds `rectangle`.
void grow_canvas_to_hold(QImage& image, pixel_rectangle rectangle);

void fill_pixels(QImage& image, pixel_rectangle rectangle, rgb_color color);

// Draws `map` through `viewport` and `world` at the cost of its pixels, clipped
// to `clip`: the picture filling every cell in order would give. Grows `image`
// to hold what the cells cover.
void draw_map_pixels(QImage& image, const map_data& map, const pixel_rectangle& viewport,
                     const world_window& world, pixel_rectangle clip);

// The one-pixel border of `rectangle`, only where it lies inside `clip`.
void outline_pixels(QImage& image, pixel_rectangle rectangle, pixel_rectangle clip,
                    rgb_color color);

// Draws `text` with its top-left corner at `position`, clipped to `clip`, on a
// transparent background. Every face maps to the installed monospace face,
// stretched so that a character is font.width pixels wide.
void draw_text_pixels(QImage& image, pixel_point position, std::string_view text,
                      const font_choice& font, pixel_rectangle clip, rgb_color color);

}  // namespace mapplot
