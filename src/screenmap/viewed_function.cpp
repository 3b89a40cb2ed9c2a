// A function-backed map as the user views it: its views in long double, read
// from the values computed for the view shown.
#include "screenmap/viewed_function.hpp"

#include <cmath>
#include <limits>
#include <optional>

#include "platform/viewing/readout_numbers.hpp"

namespace mapplot {
namespace {

// Zooming out stops this many times wider than the whole view, where long
// double still has room to spare.
constexpr long double widest_share = 1e30L;

plane_view view_of(const map_viewport& viewport) {
  return {viewport.x1, viewport.y1, viewport.x2, viewport.y2};
}

// The check's reason to refuse `viewport`. A check that throws refuses it.
std::string refusal_of(const map_view_check& check, const map_viewport& viewport) {
  if (!check) return {};
  try {
    return check(viewport);
  } catch (const std::exception& error) {
    return std::string("The view check failed: ") + error.what();
  } catch (...) {
    return "The view check failed: it threw something that is not a std::exception";
  }
}

class function_values final : public viewed_map {
 public:
  explicit function_values(const function_picture_source& source) : source_(source) {}

  plane_view whole() const override { return view_of(source_.whole); }

  std::string refusal(const plane_view& view, const pixel_rectangle& area) const override {
    const long double width = std::fabs(view.x2 - view.x1), height = std::fabs(view.y2 - view.y1);
    if (!(width > 0) || !(height > 0)) return "Zooming stops here: the view has no width left";
    const map_viewport& whole = source_.whole;
    if (!(width <= widest_share * std::fabs(whole.x2 - whole.x1)) ||
        !(height <= widest_share * std::fabs(whole.y2 - whole.y1)) ||
        !std::isfinite(view.x1 + view.x2) || !std::isfinite(view.y1 + view.y2))
      return "Zooming out stops here: the view is as wide as it goes";
    return refusal_of(source_.check, viewport_over(view, area));
  }

  // Each pixel shows the value whose pixel of the computed picture holds its
  // centre (exactly pixel for pixel when the picture is the view's own).
  void paint(const plane_view& view, const pixel_rectangle& viewport, const pixel_rectangle& area,
             pixel_raster raster) const override {
    if (!source_.shown) return;
    const computed_picture& shown = *source_.shown;
    const map_viewport current = viewport_over(view, viewport);
    const bool own = same_viewport(current, shown.viewport);
    const double spread = shown.max - shown.min;
    const auto clip = clipped(normalised(area), {0, 0, raster.width - 1, raster.height - 1});
    if (!clip) return;
    for (int row = clip->top; row <= clip->bottom; ++row) {
      argb_pixel* line = raster.pixels + row * raster.row_length;
      for (int column = clip->left; column <= clip->right; ++column) {
        std::optional<std::size_t> index;
        if (own) {
          index = static_cast<std::size_t>(column - viewport.left) +
                  static_cast<std::size_t>(viewport.bottom - row) * shown.viewport.columns;
        } else {
          index = value_index(shown, function_point_at(current, viewport, {column, row}));
        }
        if (!index || *index >= shown.values.size()) continue;
        const double value = shown.values[*index];
        double level = std::numeric_limits<double>::quiet_NaN();
        if (std::isfinite(value))
          level = spread > 0 ? (value - shown.min) * (255 / spread) : 0;
        else if (!std::isnan(value))
          level = value;
        line[column] = grey_pixel(level);
      }
    }
  }

  plane_point point_at(const plane_view& view, const pixel_rectangle& viewport,
                       pixel_point pixel) const override {
    const long_point point = function_point_at(viewport_over(view, viewport), viewport, pixel);
    return {point.x, point.y};
  }

  map_reading reading_at(const plane_view& view, const pixel_rectangle& viewport,
                         pixel_point pixel) const override {
    const map_viewport current = viewport_over(view, viewport);
    const long_point point = function_point_at(current, viewport, pixel);
    map_reading reading;
    reading.point = "at x = " + position_text(point.x, (view.x2 - view.x1) / current.columns) +
                    "   y = " + position_text(point.y, (view.y2 - view.y1) / current.rows);
    if (source_.shown) {
      if (const auto index = value_index(*source_.shown, point))
        reading.cell = "value = " + exact_text(source_.shown->values[*index]);
    }
    return reading;
  }

 private:
  const function_picture_source& source_;
};

}  // namespace

map_viewport viewport_over(const plane_view& view, const pixel_rectangle& area) {
  return {view.x1,
          view.x2,
          view.y1,
          view.y2,
          static_cast<std::size_t>(std::max(0, area.right - area.left + 1)),
          static_cast<std::size_t>(std::max(0, area.bottom - area.top + 1)),
          false};
}

bool same_viewport(const map_viewport& a, const map_viewport& b) {
  return a.x1 == b.x1 && a.x2 == b.x2 && a.y1 == b.y1 && a.y2 == b.y2 && a.columns == b.columns &&
         a.rows == b.rows && a.preview == b.preview;
}

std::unique_ptr<viewed_map> viewed_function(const function_picture_source& source) {
  return std::make_unique<function_values>(source);
}

}  // namespace mapplot
