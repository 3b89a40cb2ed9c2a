#include "platform/map_pixels.hpp"

#include <algorithm>
#include <numeric>

#include "platform/cell_edges.hpp"

namespace mapplot {
namespace {

// Wide enough for any screen at any device pixel ratio, small enough that the
// per-pixel tables stay small whatever rectangle a caller passes.
constexpr int largest_pixel_coordinate = 1 << 16;

// For each pixel first..last, the largest cell index whose pixel span covers
// it. Cells are taken from the last one down, and each pixel is given to the
// first that reaches it; pixels already given are skipped through `next`
// (with path halving), so the work is O(pixels + cells) whatever the spans.
// `edges` gives each cell's lower and upper edge.
template <class Edges, class ToPixel>
std::vector<std::size_t> last_cells_covering(std::size_t cell_count, const Edges& edges, int first,
                                             int last, ToPixel&& to_pixel) {
  const int pixel_count = last - first + 1;
  std::vector<std::size_t> owners(static_cast<std::size_t>(std::max(pixel_count, 0)), no_cell);
  if (pixel_count <= 0 || cell_count == 0) return owners;
  std::vector<int> next(owners.size() + 1);
  std::iota(next.begin(), next.end(), 0);
  const auto first_free = [&next](int pixel) {
    while (next[pixel] != pixel) {
      next[pixel] = next[next[pixel]];
      pixel = next[pixel];
    }
    return pixel;
  };
  int unassigned = pixel_count;
  for (std::size_t cell = cell_count; cell-- > 0 && unassigned > 0;) {
    const std::optional<int> lower = to_pixel(edges.lower(cell));
    const std::optional<int> upper = to_pixel(edges.upper(cell));
    if (lower && upper) {
      const int from = std::max(std::min(*lower, *upper), first) - first;
      const int to = std::min(std::max(*lower, *upper), last) - first;
      for (int pixel = from <= to ? first_free(from) : to + 1; pixel <= to;
           pixel = first_free(pixel + 1)) {
        owners[static_cast<std::size_t>(pixel)] = cell;
        next[pixel] = pixel + 1;
        --unassigned;
      }
    }
  }
  return owners;
}

// Edges halfway between neighbouring coordinates.
struct derived_edges {
  cell_edges edges;
  double lower(std::size_t cell) const { return edges.lower(cell); }
  double upper(std::size_t cell) const { return edges.upper[cell]; }
};

// Edges a map keeps for its cells.
struct kept_edges {
  const map_data::kept_cell_edges& edges;
  double lower(std::size_t cell) const { return edges.lower[cell]; }
  double upper(std::size_t cell) const { return edges.upper[cell]; }
};

template <class Edges>
cells_under_pixels cells_under(std::size_t columns, const Edges& x_edges, std::size_t rows,
                               const Edges& y_edges, const pixel_rectangle& viewport,
                               const world_window& world, pixel_rectangle clip) {
  clip = normalised(clip);
  clip = {std::max(clip.left, -largest_pixel_coordinate),
          std::max(clip.top, -largest_pixel_coordinate),
          std::min(clip.right, largest_pixel_coordinate),
          std::min(clip.bottom, largest_pixel_coordinate)};
  cells_under_pixels cells{clip, {}, {}};
  cells.columns = last_cells_covering(columns, x_edges, clip.left, clip.right, [&](double edge) {
    return world_to_pixel_column(viewport, world, edge);
  });
  cells.rows = last_cells_covering(rows, y_edges, clip.top, clip.bottom, [&](double edge) {
    return world_to_pixel_row(viewport, world, edge);
  });
  return cells;
}

std::optional<std::pair<int, int>> covered_span(const std::vector<std::size_t>& owners) {
  const auto first =
      std::find_if(owners.begin(), owners.end(), [](std::size_t cell) { return cell != no_cell; });
  if (first == owners.end()) return std::nullopt;
  const auto last = std::find_if(owners.rbegin(), owners.rend(),
                                 [](std::size_t cell) { return cell != no_cell; });
  return std::pair{static_cast<int>(first - owners.begin()),
                   static_cast<int>(owners.rend() - last - 1)};
}

template <class Values>
void paint_values(const Values& values, const map_data& map, const cells_under_pixels& cells,
                  pixel_raster raster) {
  const std::size_t nx = map.column_count();
  const auto cell_total = nx * map.row_count();
  if (nx != 0 && (cell_total / nx != map.row_count() || values.size() < cell_total)) return;
  const pixel_rectangle& area = cells.area;
  int left = std::max(area.left, 0), right = std::min(area.right, raster.width - 1);
  const int top = std::max(area.top, 0), bottom = std::min(area.bottom, raster.height - 1);
  if (raster.pixels == nullptr) return;
  const auto column_at = [&](int pixel) {
    return cells.columns[static_cast<std::size_t>(pixel - area.left)];
  };
  // Only the pixel columns that cells cover; where none between is left out
  // (cells of ordered coordinates), rows are copied whole.
  while (left <= right && column_at(left) == no_cell) ++left;
  while (right >= left && column_at(right) == no_cell) --right;
  if (left > right || top > bottom) return;
  bool gapless = true;
  for (int pixel = left; pixel <= right && gapless; ++pixel) gapless = column_at(pixel) != no_cell;

  const grey_scale scale(map.zmin, map.zmax);
  // The greys of one cell row across the pixels, worked out again only where
  // the cell row changes.
  std::vector<argb_pixel> row_greys(static_cast<std::size_t>(right - left + 1));
  std::size_t grey_row = no_cell;
  for (int pixel_row = top; pixel_row <= bottom; ++pixel_row) {
    const std::size_t row = cells.rows[static_cast<std::size_t>(pixel_row - area.top)];
    // Cells found for another map's coordinates are not read past its values.
    if (row >= map.row_count()) continue;
    if (row != grey_row) {
      std::size_t shown_column = no_cell;
      argb_pixel shown = 0;
      for (int pixel = left; pixel <= right; ++pixel) {
        const std::size_t column = column_at(pixel);
        if (column >= nx) continue;
        if (column != shown_column) {
          const double value = static_cast<double>(values[column + row * nx]);
          shown = grey_pixel(scale.level(scaled_quantity(value, map.logscale)));
          shown_column = column;
        }
        row_greys[static_cast<std::size_t>(pixel - left)] = shown;
      }
      grey_row = row;
    }
    argb_pixel* line = raster.pixels + pixel_row * raster.row_length;
    if (gapless) {
      std::copy(row_greys.begin(), row_greys.end(), line + left);
      continue;
    }
    for (int pixel = left; pixel <= right; ++pixel) {
      if (column_at(pixel) != no_cell)
        line[pixel] = row_greys[static_cast<std::size_t>(pixel - left)];
    }
  }
}

}  // namespace

std::optional<pixel_rectangle> cells_under_pixels::reach() const {
  const auto across = covered_span(columns);
  const auto down = covered_span(rows);
  if (!across || !down) return std::nullopt;
  return pixel_rectangle{area.left + across->first, area.top + down->first,
                         area.left + across->second, area.top + down->second};
}

cells_under_pixels find_cells_under_pixels(std::span<const double> x, std::span<const double> y,
                                           const pixel_rectangle& viewport,
                                           const world_window& world, pixel_rectangle clip) {
  const auto edges_of = [](std::span<const double> coordinates) {
    return derived_edges{coordinates.empty() ? cell_edges{} : make_cell_edges(coordinates)};
  };
  return cells_under(x.size(), edges_of(x), y.size(), edges_of(y), viewport, world, clip);
}

cells_under_pixels find_cells_under_pixels(const map_data& map, const pixel_rectangle& viewport,
                                           const world_window& world, pixel_rectangle clip) {
  if (!map.cells_thinned()) return find_cells_under_pixels(map.x, map.y, viewport, world, clip);
  // Kept edges that do not match the coordinates cover nothing rather than
  // being read past their end.
  const std::size_t columns =
      std::min({map.x.size(), map.x_edges.lower.size(), map.x_edges.upper.size()});
  const std::size_t rows =
      std::min({map.y.size(), map.y_edges.lower.size(), map.y_edges.upper.size()});
  return cells_under(columns, kept_edges{map.x_edges}, rows, kept_edges{map.y_edges}, viewport,
                     world, clip);
}

void paint_map(const map_data& map, const cells_under_pixels& cells, pixel_raster raster) {
  std::visit([&](const auto& values) { paint_values(values, map, cells, raster); }, map.values);
}

}  // namespace mapplot
