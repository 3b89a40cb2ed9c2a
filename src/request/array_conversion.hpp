#pragma once

#include <mapplot/map_request.hpp>
#include <span>
#include <stdexcept>
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
  const auto cells = cell_count(grid.nx, grid.ny);
  if (!cells) throw std::invalid_argument("grid_view: nx * ny overflows the size of an array");
  if (grid.data == nullptr || *cells == 0) return {};
  const From* begin = grid.data;
  std::vector<To> flat(*cells);
  for (std::size_t k = 0; k < flat.size(); ++k) flat[k] = static_cast<To>(begin[k]);
  return flat;
}

}  // namespace mapplot
