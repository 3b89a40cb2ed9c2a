#include "parallel/call_agreement.hpp"

#include <algorithm>
#include <array>
#include <limits>
#include <stdexcept>

#include "parallel/collective_failure.hpp"
#include "platform/cancellation.hpp"

namespace mapplot::parallel {
namespace {

constexpr std::size_t description_words = 13;
using packed_description = std::array<std::uint64_t, description_words>;

packed_description pack(const call_description& d) {
  return {static_cast<std::uint64_t>(d.kind),
          d.value_size,
          d.block.first_x,
          d.block.first_y,
          d.block.columns,
          d.block.rows,
          d.grid_columns,
          d.grid_rows,
          d.values_missing,
          d.options_digest,
          d.root_cancelled,
          d.root_has_console,
          d.waits_for_enter};
}

call_description unpack(const packed_description& p) {
  call_description d;
  d.kind = static_cast<call_kind>(p[0]);
  d.value_size = p[1];
  d.block = {p[2], p[3], p[4], p[5]};
  d.grid_columns = p[6];
  d.grid_rows = p[7];
  d.values_missing = p[8] != 0;
  d.options_digest = p[9];
  d.root_cancelled = p[10] != 0;
  d.root_has_console = p[11] != 0;
  d.waits_for_enter = p[12] != 0;
  return d;
}

std::vector<call_description> exchange(MPI_Comm comm, const call_description& mine) {
  int size = 1;
  MPI_Comm_size(comm, &size);
  const packed_description packed = pack(mine);
  std::vector<packed_description> all(static_cast<std::size_t>(size));
  MPI_Allgather(packed.data(), description_words, MPI_UINT64_T, all.data(), description_words,
                MPI_UINT64_T, comm);
  std::vector<call_description> descriptions;
  descriptions.reserve(all.size());
  for (const auto& p : all) descriptions.push_back(unpack(p));
  return descriptions;
}

const char* name_of(call_kind kind) {
  switch (kind) {
    case call_kind::screen_map:
      return "screen_map";
    case call_kind::postscript_map:
      return "postscript_map";
    case call_kind::data_map:
      return "data_map";
    case call_kind::program_ended:
      break;
  }
  return "nothing";
}

const char* type_of(std::size_t value_size) {
  return value_size == sizeof(float) ? "float" : value_size == sizeof(double) ? "double" : "other";
}

[[noreturn]] void refuse(std::string_view operation, const std::string& why) {
  throw std::invalid_argument("parallel " + std::string(operation) + ": " + why);
}

std::string rank_text(std::size_t rank) {
  return "rank " + std::to_string(rank);
}

// What is wrong with one rank's own block, or nothing.
std::string block_fault(const call_description& d) {
  if (d.grid_columns != d.block.columns)
    return "has " + std::to_string(d.block.columns) + " x coordinates for a block of " +
           std::to_string(d.grid_columns) + " columns";
  if (d.grid_rows != d.block.rows)
    return "has " + std::to_string(d.block.rows) + " y coordinates for a block of " +
           std::to_string(d.grid_rows) + " rows";
  if (d.values_missing) return "has no values for its cells";
  const std::size_t largest = std::numeric_limits<std::size_t>::max();
  if (d.block.holds_cells() &&
      (d.block.first_x > largest - d.block.columns || d.block.first_y > largest - d.block.rows ||
       d.block.columns > largest / d.block.rows))
    return "reaches past the largest grid";
  return {};
}

bool overlap(const block_shape& a, const block_shape& b) {
  return a.first_x < b.first_x + b.columns && b.first_x < a.first_x + a.columns &&
         a.first_y < b.first_y + b.rows && b.first_y < a.first_y + a.rows;
}

// The global grid the blocks tile, or the reason they do not.
agreed_call tiling_of(const std::vector<call_description>& all, std::string_view operation) {
  agreed_call call;
  call.size = static_cast<int>(all.size());
  for (const call_description& d : all) {
    call.blocks.push_back(d.block);
    if (!d.block.holds_cells()) continue;
    call.nx = std::max(call.nx, d.block.first_x + d.block.columns);
    call.ny = std::max(call.ny, d.block.first_y + d.block.rows);
  }
  for (std::size_t a = 0; a < all.size(); ++a) {
    if (!all[a].block.holds_cells()) continue;
    for (std::size_t b = a + 1; b < all.size(); ++b) {
      if (all[b].block.holds_cells() && overlap(all[a].block, all[b].block))
        refuse(operation, "the blocks of " + rank_text(a) + " and " + rank_text(b) + " overlap");
    }
  }
  // Disjoint blocks inside the grid tile it when their cells add up to it.
  long double covered = 0;
  for (const block_shape& block : call.blocks)
    if (block.holds_cells())
      covered += static_cast<long double>(block.columns) * static_cast<long double>(block.rows);
  const long double cells = static_cast<long double>(call.nx) * static_cast<long double>(call.ny);
  if (covered != cells)
    refuse(operation, "the blocks leave cells of the " + std::to_string(call.nx) + " x " +
                          std::to_string(call.ny) + " grid uncovered");
  return call;
}

}  // namespace

agreed_call agree_on_call(MPI_Comm comm, const call_description& mine, std::string_view operation) {
  const std::vector<call_description> all = exchange(comm, mine);
  const call_description& root = all.front();
  if (root.root_cancelled) throw program_cancelled();
  for (std::size_t rank = 0; rank < all.size(); ++rank) {
    if (all[rank].kind == call_kind::program_ended)
      throw std::logic_error("parallel maps: " + rank_text(rank) +
                             " has ended its program while the others draw; every rank makes "
                             "the same map calls in the same order");
  }
  for (std::size_t rank = 0; rank < all.size(); ++rank) {
    const call_description& d = all[rank];
    if (d.kind != root.kind)
      refuse(name_of(root.kind), rank_text(rank) + " calls " + name_of(d.kind) +
                                     " while rank 0 calls " + name_of(root.kind) +
                                     "; every rank makes the same map calls in the same order");
    if (d.value_size != root.value_size)
      refuse(operation, rank_text(rank) + " gives " + type_of(d.value_size) +
                            " values while rank 0 gives " + type_of(root.value_size));
    if (d.options_digest != root.options_digest)
      refuse(operation, "the options of " + rank_text(rank) + " differ from those of rank 0");
  }
  for (std::size_t rank = 0; rank < all.size(); ++rank) {
    if (const std::string fault = block_fault(all[rank]); !fault.empty())
      refuse(operation, "the block of " + rank_text(rank) + " " + fault);
  }
  if (root.waits_for_enter && !root.root_has_console)
    throw std::logic_error(
        "screen_map: ownwindow false waits for Enter on the console, and a screen_session has "
        "no console; pass ownwindow = true");
  agreed_call call = tiling_of(all, operation);
  MPI_Comm_rank(comm, &call.rank);
  return call;
}

void wait_for_every_program(MPI_Comm comm, bool cancelled) {
  call_description ended;
  ended.root_cancelled = cancelled;
  for (;;) {
    const std::vector<call_description> all = exchange(comm, ended);
    // A rank still drawing meets this as a failure of its call and comes back
    // once its program has unwound.
    if (std::all_of(all.begin(), all.end(),
                    [](const call_description& d) { return d.kind == call_kind::program_ended; }))
      return;
  }
}

void options_digest::add_bytes(const void* bytes, std::size_t size) {
  const auto* byte = static_cast<const unsigned char*>(bytes);
  for (std::size_t i = 0; i < size; ++i) {
    hash_ ^= byte[i];
    hash_ *= 1099511628211ull;
  }
}

options_digest& options_digest::add_text(std::string_view text) {
  add(text.size());
  add_bytes(text.data(), text.size());
  return *this;
}

}  // namespace mapplot::parallel
