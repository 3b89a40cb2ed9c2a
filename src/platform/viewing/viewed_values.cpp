// A map whose values are kept, as the user views it: drawn from the values at any
// view, and read cell by cell as the program's picture shows them.
#include <cmath>
#include <type_traits>
#include <variant>

#include "platform/map_view.hpp"
#include "platform/viewing/readout_numbers.hpp"
#include "platform/viewing/viewed_map.hpp"

namespace mapplot {
namespace {

// Views this many times narrower or wider than the whole map are not made:
// beyond them the map is one flat cell or a dot.
constexpr long double narrowest_share = 1e-6L;
constexpr long double widest_share = 1000;

map_view double_view(const plane_view& view) {
  return {static_cast<double>(view.x1), static_cast<double>(view.y1), static_cast<double>(view.x2),
          static_cast<double>(view.y2)};
}

// The caller's coordinate and value, in the caller's precision.
template <class Value>
std::string cell_text(const map_data& map, const map_values<Value>& values, std::size_t column,
                      std::size_t row) {
  const auto grid_index = [](const map_data::kept_cell_edges& edges, std::size_t index) {
    return index < edges.grid_index.size() ? edges.grid_index[index] : index;
  };
  const std::size_t k = column + row * map.column_count();
  if (k >= values.size()) return {};
  const Value value = values[k];
  std::string text = "cell " + std::to_string(grid_index(map.x_edges, column)) + ", " +
                     std::to_string(grid_index(map.y_edges, row)) +
                     "   x = " + exact_text(static_cast<Value>(map.x[column])) +
                     "   y = " + exact_text(static_cast<Value>(map.y[row])) +
                     "   value = " + exact_text(value);
  if (map.logscale) text += "   log = " + exact_text(scaled_quantity(value, true));
  return text;
}

class kept_values final : public viewed_map {
 public:
  kept_values(std::shared_ptr<const map_data> map, const plane_view& whole)
      : map_(std::move(map)), whole_(whole) {}

  plane_view whole() const override { return whole_; }

  std::string refusal(const plane_view& view, const pixel_rectangle&) const override {
    const long double width = std::fabs(view.x2 - view.x1), height = std::fabs(view.y2 - view.y1);
    const long double whole_width = std::fabs(whole_.x2 - whole_.x1);
    const long double whole_height = std::fabs(whole_.y2 - whole_.y1);
    if (!(width >= narrowest_share * whole_width) || !(height >= narrowest_share * whole_height))
      return "Zooming stops here: a millionth of the whole map";
    const long double centre_x = (view.x1 + view.x2) / 2 - (whole_.x1 + whole_.x2) / 2;
    const long double centre_y = (view.y1 + view.y2) / 2 - (whole_.y1 + whole_.y2) / 2;
    if (!(width <= widest_share * whole_width) || !(height <= widest_share * whole_height) ||
        !(std::fabs(centre_x) <= widest_share / 2 * whole_width) ||
        !(std::fabs(centre_y) <= widest_share / 2 * whole_height))
      return "Stopped: 1000 times the whole map is as far as the view goes";
    return {};
  }

  void paint(const plane_view& view, const pixel_rectangle& viewport, const pixel_rectangle& area,
             pixel_raster raster) const override {
    const auto clip = clipped(normalised(area), {0, 0, raster.width - 1, raster.height - 1});
    if (!clip) return;
    paint_map(*map_, find_cells_under_pixels(*map_, viewport, world_of(double_view(view)), *clip),
              raster);
  }

  plane_point point_at(const plane_view& view, const pixel_rectangle& viewport,
                       pixel_point pixel) const override {
    const world_point point = world_point_at(double_view(view), viewport, pixel);
    return {point.x, point.y};
  }

  map_reading reading_at(const plane_view& view, const pixel_rectangle& viewport,
                         pixel_point pixel) const override {
    const plane_point point = point_at(view, viewport, pixel);
    const long double across = std::max(std::abs(viewport.right - viewport.left), 1);
    const long double down = std::max(std::abs(viewport.bottom - viewport.top), 1);
    map_reading reading;
    reading.point = "at x = " + position_text(point.x, (view.x2 - view.x1) / across) +
                    "   y = " + position_text(point.y, (view.y2 - view.y1) / down);
    if (const auto cell = cell_at_pixel(*map_, double_view(view), viewport, pixel)) {
      reading.cell = std::visit(
          [&](const auto& values) { return cell_text(*map_, values, cell->column, cell->row); },
          map_->values);
    }
    return reading;
  }

  std::string zoomed_note() const override {
    // A map kept as the cells of one picture cannot show more of the grid.
    if (map_->cells_thinned()) return "enlarged: this window keeps the cells of its picture only";
    return {};
  }

 private:
  std::shared_ptr<const map_data> map_;
  plane_view whole_;
};

}  // namespace

std::unique_ptr<viewed_map> viewed_values(std::shared_ptr<const map_data> map,
                                          std::optional<plane_view> whole) {
  if (!whole) {
    const map_view range = whole_map_view(*map);
    whole = plane_view{range.x1, range.y1, range.x2, range.y2};
  }
  return std::make_unique<kept_values>(std::move(map), *whole);
}

}  // namespace mapplot
