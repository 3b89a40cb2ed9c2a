#pragma once

// The way maps were drawn before they were drawn at the cost of their pixels,
// kept as the benchmarks' baseline: the values widened into a double copy and
// scaled there to grey levels, one pixel rectangle with its colour for every
// value, then every rectangle filled in order.
#include <QImage>
#include <algorithm>
#include <cmath>
#include <optional>
#include <span>
#include <vector>

#include "platform/map_data.hpp"
#include "platform/world_transform.hpp"
#include "request/value_range.hpp"

namespace mapplot::baseline {

struct pixel_cell {
  pixel_rectangle area;
  argb_pixel color;
};

template <class Conversion>
std::vector<std::optional<int>> edge_pixels(std::span<const double> coordinates,
                                            Conversion&& to_pixel) {
  std::vector<std::optional<int>> pixels{to_pixel(coordinates.front())};
  for (std::size_t i = 0; i + 1 < coordinates.size(); ++i)
    pixels.push_back(to_pixel(coordinates[i] * 0.5 + coordinates[i + 1] * 0.5));
  pixels.push_back(to_pixel(coordinates.back()));
  return pixels;
}

// Draws the values (x index fastest) into `image`, whose size holds the
// viewport, through `world`.
template <class Value>
void draw_cell_by_cell(QImage& image, std::span<const double> x, std::span<const double> y,
                       std::span<const Value> z, const pixel_rectangle& viewport,
                       const world_window& world) {
  std::vector<double> levels(z.begin(), z.end());
  const value_range range = finite_range(levels);
  const double factor = 255 / (range.max - range.min);
  for (double& level : levels) level = (level - range.min) * factor;

  const auto columns =
      edge_pixels(x, [&](double edge) { return world_to_pixel_column(viewport, world, edge); });
  const auto rows =
      edge_pixels(y, [&](double edge) { return world_to_pixel_row(viewport, world, edge); });
  std::vector<pixel_cell> cells;
  cells.reserve(x.size() * y.size());
  std::size_t k = 0;
  for (std::size_t j = 0; j < y.size(); ++j) {
    for (std::size_t i = 0; i < x.size(); ++i, ++k) {
      if (!rows[j] || !rows[j + 1] || !columns[i] || !columns[i + 1]) continue;
      cells.push_back({{std::min(*columns[i], *columns[i + 1]), std::min(*rows[j], *rows[j + 1]),
                        std::max(*columns[i], *columns[i + 1]), std::max(*rows[j], *rows[j + 1])},
                       grey_pixel(levels[k])});
    }
  }

  uchar* const bits = image.bits();
  const qsizetype row_bytes = image.bytesPerLine();
  for (const pixel_cell& cell : cells) {
    const int left = std::max(cell.area.left, viewport.left);
    const int right = std::min(cell.area.right, viewport.right);
    const int top = std::max(cell.area.top, viewport.top);
    const int bottom = std::min(cell.area.bottom, viewport.bottom);
    for (int row = top; row <= bottom; ++row) {
      auto* line = reinterpret_cast<QRgb*>(bits + row * row_bytes);
      std::fill(line + left, line + right + 1, cell.color);
    }
  }
}

}  // namespace mapplot::baseline
