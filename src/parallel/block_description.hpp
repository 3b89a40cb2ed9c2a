#pragma once

#include <mapplot/parallel_map.hpp>

#include "parallel/call_agreement.hpp"

namespace mapplot::parallel {

// What this rank brings to a map call with `block`.
template <class T>
call_description describe(call_kind kind, const grid_block<T>& block, std::uint64_t digest) {
  call_description description;
  description.kind = kind;
  description.value_size = sizeof(T);
  description.block = {block.first_x, block.first_y, block.x.size(), block.y.size()};
  description.grid_columns = block.z.nx;
  description.grid_rows = block.z.ny;
  description.values_missing = block.z.data == nullptr && block.z.nx != 0 && block.z.ny != 0;
  description.options_digest = digest;
  return description;
}

// The block's values in memory order, x index fastest.
template <class T>
std::span<const T> block_values(const grid_block<T>& block) {
  if (block.z.data == nullptr) return {};
  return {block.z.data, block.z.nx * block.z.ny};
}

}  // namespace mapplot::parallel
