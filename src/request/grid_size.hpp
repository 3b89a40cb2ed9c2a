#pragma once

#include <cstddef>
#include <cstdint>
#include <mapplot/map_request.hpp>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>

namespace mapplot {

// nx * ny, or nothing when the product does not fit std::size_t; every size
// check of the three outputs goes through here so that none wraps around.
inline std::optional<std::size_t> cell_count(std::size_t nx, std::size_t ny) {
  std::size_t cells = 0;
  if (__builtin_mul_overflow(nx, ny, &cells)) return std::nullopt;
  return cells;
}

// nx * ny for a grid whose cells take `cell_bytes` bytes each. Throws
// std::invalid_argument when the product, or the bytes those cells would
// take, do not fit the address space: no array can hold such a grid, so a
// size like that is a caller's mistake and nothing may be read on its word.
inline std::size_t checked_cell_count(std::size_t nx, std::size_t ny, std::size_t cell_bytes = 1) {
  const auto cells = cell_count(nx, ny);
  std::size_t bytes = 0;
  if (!cells || __builtin_mul_overflow(*cells, cell_bytes, &bytes) || bytes > PTRDIFF_MAX)
    throw std::invalid_argument("grid of " + std::to_string(nx) + " x " + std::to_string(ny) +
                                " cells: nx * ny overflows the size of an array");
  return *cells;
}

// Whether `values` values make exactly an nx by ny grid.
inline bool fills_grid(std::size_t nx, std::size_t ny, std::size_t values) {
  return cell_count(nx, ny) == values;
}

// A grid's values in memory order (first index fastest), which is already the
// flattened order: a view, no copy. A view without data has no values.
template <class T>
std::span<const T> grid_values(grid_view<T> grid) {
  const std::size_t cells = checked_cell_count(grid.nx, grid.ny, sizeof(T));
  if (grid.data == nullptr) return {};
  return {grid.data, cells};
}

}  // namespace mapplot
