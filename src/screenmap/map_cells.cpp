#include "screenmap/map_cells.hpp"

#include <algorithm>
#include <optional>

#include "screenmap/cell_edges.hpp"
#include "screenmap/grey_levels.hpp"

namespace mapplot {
namespace {

// The pixel of every edge of one direction: entry 0 where the first cell
// begins, entry i + 1 where cell i ends.
template <class Conversion>
std::vector<std::optional<int>> edge_pixels(std::span<const double> coordinates,
                                            Conversion&& to_pixel) {
  const cell_edges edges = make_cell_edges(coordinates);
  std::vector<std::optional<int>> pixels;
  pixels.reserve(edges.upper.size() + 1);
  pixels.push_back(to_pixel(edges.first));
  for (const double edge : edges.upper) pixels.push_back(to_pixel(edge));
  return pixels;
}

// cell_color keeps every component within 0..255.
rgb_color cell_pixel_color(double level) {
  const cell_rgb grey = cell_color(level);
  return {static_cast<std::uint8_t>(grey.red), static_cast<std::uint8_t>(grey.green),
          static_cast<std::uint8_t>(grey.blue)};
}

}  // namespace

void make_map_cells(std::span<const double> x, std::span<const double> y,
                    std::span<const double> levels, const pixel_rectangle& viewport,
                    const world_window& world, std::vector<pixel_cell>& cells) {
  const auto columns =
      edge_pixels(x, [&](double edge) { return world_to_pixel_column(viewport, world, edge); });
  const auto rows =
      edge_pixels(y, [&](double edge) { return world_to_pixel_row(viewport, world, edge); });

  cells.clear();
  cells.reserve(x.size() * y.size());
  std::size_t k = 0;
  for (std::size_t j = 0; j < y.size(); ++j) {
    const std::optional<int> lower = rows[j];
    const std::optional<int> upper = rows[j + 1];
    for (std::size_t i = 0; i < x.size(); ++i, ++k) {
      const std::optional<int> left = columns[i];
      const std::optional<int> right = columns[i + 1];
      if (!lower || !upper || !left || !right) continue;
      cells.push_back({{std::min(*left, *right), std::min(*lower, *upper), std::max(*left, *right),
                        std::max(*lower, *upper)},
                       cell_pixel_color(levels[k])});
    }
  }
}

}  // namespace mapplot
