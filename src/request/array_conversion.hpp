#pragma once

#include <mapplot/map_request.hpp>
#include <span>
#include <vector>

#include "request/grid_size.hpp"

namespace mapplot {

// Per-call copies that bring a caller's arrays into a core's form. The
// caller's arrays are only read.

// Each single value widened exactly to double.
inline std::vector<double> widen(std::span<const float> values) {
  return {values.begin(), values.end()};
}

// Each double rounded to the nearest single value; beyond the single range
// the result is an infinity.
inline std::vector<float> narrow(std::span<const double> values) {
  std::vector<float> narrowed(values.size());
  for (std::size_t i = 0; i < values.size(); ++i) narrowed[i] = static_cast<float>(values[i]);
  return narrowed;
}

// The grid column by column (first index fastest), converted to `To`. A view
// without data gives an empty vector; one whose nx * ny does not fit
// std::size_t throws std::invalid_argument before anything is read.
template <class To, class From>
std::vector<To> flatten(grid_view<From> grid) {
  const std::span<const From> values = grid_values(grid);
  return std::vector<To>(values.begin(), values.end());
}

}  // namespace mapplot
