#include "platform/world_transform.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace mapplot {
namespace {

// Far outside any canvas, yet safely inside int after rounding.
constexpr double pixel_coordinate_bound = 1.0e9;

int rounded_pixel(double coordinate) {
  return static_cast<int>(
      std::lround(std::clamp(coordinate, -pixel_coordinate_bound, pixel_coordinate_bound)));
}

int saturated_sum(int a, int b) {
  const std::int64_t sum = static_cast<std::int64_t>(a) + b;
  return static_cast<int>(
      std::clamp<std::int64_t>(sum, -pixel_coordinate_bound, pixel_coordinate_bound));
}

// Fraction of the way from `from` to `to`; nothing when the span is degenerate.
std::optional<double> fraction_along(double value, double from, double to) {
  const double span = to - from;
  if (!std::isfinite(value) || !std::isfinite(span) || span == 0) return std::nullopt;
  const double fraction = (value - from) / span;
  if (!std::isfinite(fraction)) return std::nullopt;
  return fraction;
}

}  // namespace

pixel_rectangle normalised(pixel_rectangle rectangle) {
  return {std::min(rectangle.left, rectangle.right), std::min(rectangle.top, rectangle.bottom),
          std::max(rectangle.left, rectangle.right), std::max(rectangle.top, rectangle.bottom)};
}

std::optional<pixel_rectangle> clipped(pixel_rectangle rectangle, pixel_rectangle bounds) {
  rectangle = normalised(rectangle);
  bounds = normalised(bounds);
  const pixel_rectangle inside{
      std::max(rectangle.left, bounds.left), std::max(rectangle.top, bounds.top),
      std::min(rectangle.right, bounds.right), std::min(rectangle.bottom, bounds.bottom)};
  if (inside.left > inside.right || inside.top > inside.bottom) return std::nullopt;
  return inside;
}

pixel_rectangle viewport_relative_to_window(pixel_rectangle viewport, int x1, int y1, int x2,
                                            int y2) {
  return {saturated_sum(viewport.left, x1), saturated_sum(viewport.top, y1),
          saturated_sum(viewport.left, x2), saturated_sum(viewport.top, y2)};
}

std::optional<int> world_to_pixel_column(const pixel_rectangle& viewport, const world_window& world,
                                         double x) {
  const auto across = fraction_along(x, world.x1, world.x2);
  if (!across) return std::nullopt;
  const double width = static_cast<double>(viewport.right) - viewport.left;
  return rounded_pixel(viewport.left + *across * width);
}

std::optional<int> world_to_pixel_row(const pixel_rectangle& viewport, const world_window& world,
                                      double y) {
  const auto down = fraction_along(y, world.y1, world.y2);
  if (!down) return std::nullopt;
  const double height = static_cast<double>(viewport.bottom) - viewport.top;
  return rounded_pixel(world.y_upwards ? viewport.bottom - *down * height
                                       : viewport.top + *down * height);
}

std::optional<pixel_point> world_to_pixel(const pixel_rectangle& viewport,
                                          const world_window& world, double x, double y) {
  const auto column = world_to_pixel_column(viewport, world, x);
  const auto row = world_to_pixel_row(viewport, world, y);
  if (!column || !row) return std::nullopt;
  return pixel_point{*column, *row};
}

std::optional<pixel_rectangle> world_rectangle_corners(const pixel_rectangle& viewport,
                                                       const world_window& world, double x1,
                                                       double y1, double x2, double y2) {
  const auto first = world_to_pixel(viewport, world, x1, y1);
  const auto second = world_to_pixel(viewport, world, x2, y2);
  if (!first || !second) return std::nullopt;
  return normalised({first->x, first->y, second->x, second->y});
}

std::optional<pixel_rectangle> world_rectangle_to_pixels(const pixel_rectangle& viewport,
                                                         const world_window& world, double x1,
                                                         double y1, double x2, double y2) {
  const auto corners = world_rectangle_corners(viewport, world, x1, y1, x2, y2);
  if (!corners) return std::nullopt;
  return clipped(*corners, viewport);
}

}  // namespace mapplot
