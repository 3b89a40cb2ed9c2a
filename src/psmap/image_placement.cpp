#include "psmap/image_placement.hpp"

namespace mapplot {

axis_extent extent_of(std::span<const float> coordinates) {
  const float first = coordinates.front();
  if (coordinates.size() == 1) {
    return {.window_low = static_cast<float>(first - 0.5L),
            .window_high = static_cast<float>(first + 0.5L),
            .spacing = 1.0f,
            .outline_low = 0.5f,
            .outline_high = 1.5f};
  }
  const float last = coordinates.back();
  const long double intervals = static_cast<long double>(coordinates.size() - 1);
  return {.window_low = first,
          .window_high = last,
          .spacing = static_cast<float>((static_cast<long double>(last) - first) / intervals),
          .outline_low = 1.0f,
          .outline_high = static_cast<float>(coordinates.size())};
}

pgplot::transform image_transform(const axis_extent& x, const axis_extent& y) {
  // The first cell sits at the first coordinate (or the centre of a single cell).
  const long double x_first = x.window_low + (1.0L - x.outline_low) * x.spacing;
  const long double y_first = y.window_low + (1.0L - y.outline_low) * y.spacing;
  return {static_cast<float>(x_first - x.spacing), x.spacing, 0.0f,
          static_cast<float>(y_first - y.spacing), 0.0f,      y.spacing};
}

outline_polygon outline_of(const pgplot::transform& tr, const axis_extent& x,
                           const axis_extent& y) {
  const auto world_x = [&](float j) {
    return static_cast<float>(tr[0] + tr[1] * static_cast<long double>(j));
  };
  const auto world_y = [&](float i) {
    return static_cast<float>(tr[3] + tr[5] * static_cast<long double>(i));
  };
  const float left = world_x(x.outline_low), right = world_x(x.outline_high);
  const float bottom = world_y(y.outline_low), top = world_y(y.outline_high);
  return {.x = {left, left, right, right, left}, .y = {bottom, top, top, bottom, bottom}};
}

}  // namespace mapplot
