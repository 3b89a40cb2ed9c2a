#pragma once

#include <cstddef>
#include <mapplot/map_widget.hpp>
#include <optional>
#include <vector>

#include "platform/world_transform.hpp"

namespace mapplot {

// The values a map function computed for one viewport, and their range.
struct computed_picture {
  map_viewport viewport;
  std::vector<float> values;  // viewport.columns * viewport.rows, bottom row first
  double min = 0, max = 0;    // of the finite values; max < min when none is
};

// A point of a function map's plane, in long double like its views.
struct long_point {
  long double x, y;
};

// The centre of pixel `pixel` of `map`, the square showing `view`.
long_point function_point_at(const map_viewport& view, const pixel_rectangle& map,
                             pixel_point pixel);

// The index of the value whose pixel holds `point`, or nothing when the
// point lies outside the picture (its right and top edges included, where
// the next row or no value starts).
std::optional<std::size_t> value_index(const computed_picture& picture, long_point point);

// Finds the finite minimum and maximum of the picture's values.
void find_value_range(computed_picture& picture);

}  // namespace mapplot
