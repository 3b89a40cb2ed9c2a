#pragma once

#include <cstddef>
#include <optional>

namespace mapplot {

// nx * ny, or nothing when the product does not fit std::size_t; every size
// check of the three outputs goes through here so that none wraps around.
inline std::optional<std::size_t> cell_count(std::size_t nx, std::size_t ny) {
  std::size_t cells = 0;
  if (__builtin_mul_overflow(nx, ny, &cells)) return std::nullopt;
  return cells;
}

// Whether `values` values make exactly an nx by ny grid.
inline bool fills_grid(std::size_t nx, std::size_t ny, std::size_t values) {
  return cell_count(nx, ny) == values;
}

}  // namespace mapplot
