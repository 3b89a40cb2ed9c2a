#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <vector>

#include "internal_api.hpp"
#include "platform/map_data.hpp"
#include "platform/world_transform.hpp"

namespace mapplot {

// Drawing a map at the cost of its pixels. Filling every cell in order (rows
// outer, columns inner, corners inclusive, a later cell painting over a
// shared edge) leaves on each pixel the last cell that covers it. A cell
// covers a pixel when its column covers the pixel's column and its row the
// pixel's row, so that cell is found per pixel column (the last column index
// whose span covers it) and per pixel row: O(pixels + nx + ny), whatever the
// number of cells.

inline constexpr std::size_t no_cell = std::numeric_limits<std::size_t>::max();

// The cell column and row under each pixel of `area`.
struct cells_under_pixels {
  pixel_rectangle area;              // normalised
  std::vector<std::size_t> columns;  // pixel column area.left + p: its cell column, or no_cell
  std::vector<std::size_t> rows;     // pixel row area.top + q: its cell row, or no_cell

  // The smallest rectangle holding every pixel some cell covers; nothing when
  // no cell covers any.
  MAPPLOT_INTERNAL_API std::optional<pixel_rectangle> reach() const;
};

// Every edge's pixel comes from world_to_pixel_column and world_to_pixel_row
// through `viewport` and `world`; a column or row with an edge that has no
// pixel (not finite, or a degenerate world window) covers nothing. Pixels
// outside `clip` are not considered. x and y may be in any order.
MAPPLOT_INTERNAL_API cells_under_pixels find_cells_under_pixels(std::span<const double> x,
                                                                std::span<const double> y,
                                                                const pixel_rectangle& viewport,
                                                                const world_window& world,
                                                                pixel_rectangle clip);

// The same for a map, through the edges it keeps for its cells where it
// keeps its own (see map_data::x_edges).
MAPPLOT_INTERNAL_API cells_under_pixels find_cells_under_pixels(const map_data& map,
                                                                const pixel_rectangle& viewport,
                                                                const world_window& world,
                                                                pixel_rectangle clip);

// Pixels that a program or a widget draws into: `row_length` pixels from one
// row to the next.
struct pixel_raster {
  argb_pixel* pixels;
  int width;
  int height;
  std::ptrdiff_t row_length;
};

// Paints each pixel of `cells` that lies in the raster and that a cell covers
// in that cell's grey; other pixels keep what they had. A map whose values do
// not fill its nx * ny grid paints nothing.
MAPPLOT_INTERNAL_API void paint_map(const map_data& map, const cells_under_pixels& cells,
                                    pixel_raster raster);

}  // namespace mapplot
