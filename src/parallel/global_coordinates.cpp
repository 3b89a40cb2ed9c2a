#include "parallel/global_coordinates.hpp"

#include <climits>
#include <cstdint>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <string>

namespace mapplot::parallel {
namespace {

constexpr std::uint64_t agreed = std::numeric_limits<std::uint64_t>::max();

// One direction: `along` picks a block's first index and count in it, and
// `at_start` whether the block holds the first row (or column) across.
template <class T, class Along, class AtStart>
std::vector<T> gather_direction(MPI_Comm comm, const agreed_call& call, std::size_t count,
                                std::span<const T> mine, Along&& along, AtStart&& at_start) {
  std::vector<int> counts(call.blocks.size(), 0);
  std::vector<int> offsets(call.blocks.size(), 0);
  for (std::size_t rank = 0; rank < call.blocks.size(); ++rank) {
    const block_shape& block = call.blocks[rank];
    if (!block.holds_cells() || !at_start(block)) continue;
    const auto [first, size] = along(block);
    counts[rank] = static_cast<int>(size);
    offsets[rank] = static_cast<int>(first);
  }
  std::vector<T> gathered(count);
  const int sent = counts[static_cast<std::size_t>(call.rank)];
  MPI_Allgatherv(mine.data(), sent, mpi_type_of<T>(), gathered.data(), counts.data(),
                 offsets.data(), mpi_type_of<T>(), comm);
  return gathered;
}

// The first index where this block's coordinates differ from the gathered
// ones, bit for bit (a NaN agrees with the same NaN), or `agreed`.
template <class T>
std::uint64_t first_difference(const std::vector<T>& gathered, std::span<const T> mine,
                               std::size_t first) {
  for (std::size_t i = 0; i < mine.size(); ++i) {
    if (std::memcmp(&gathered[first + i], &mine[i], sizeof(T)) != 0) return first + i;
  }
  return agreed;
}

}  // namespace

template <class T>
global_coordinates<T> gather_coordinates(MPI_Comm comm, const agreed_call& call,
                                         const grid_block<T>& block, std::string_view operation) {
  // Counts and offsets of MPI messages are ints.
  if (call.nx > static_cast<std::size_t>(INT_MAX) || call.ny > static_cast<std::size_t>(INT_MAX))
    throw std::invalid_argument("parallel " + std::string(operation) + ": a grid of " +
                                std::to_string(call.nx) + " x " + std::to_string(call.ny) +
                                " has more columns or rows than MPI can send");
  const block_shape& own = call.blocks[static_cast<std::size_t>(call.rank)];
  global_coordinates<T> coordinates;
  coordinates.x = gather_direction<T>(
      comm, call, call.nx, block.x,
      [](const block_shape& b) {
        return std::pair{b.first_x, b.columns};
      },
      [](const block_shape& b) { return b.first_y == 0; });
  coordinates.y = gather_direction<T>(
      comm, call, call.ny, block.y,
      [](const block_shape& b) {
        return std::pair{b.first_y, b.rows};
      },
      [](const block_shape& b) { return b.first_x == 0; });

  std::uint64_t differences[2] = {agreed, agreed};
  if (own.holds_cells()) {
    differences[0] = first_difference(coordinates.x, block.x, own.first_x);
    differences[1] = first_difference(coordinates.y, block.y, own.first_y);
  }
  std::uint64_t first[2];
  MPI_Allreduce(differences, first, 2, MPI_UINT64_T, MPI_MIN, comm);
  if (first[0] != agreed || first[1] != agreed) {
    const bool in_x = first[0] != agreed;
    throw std::invalid_argument("parallel " + std::string(operation) +
                                ": the blocks disagree on the " + (in_x ? "x" : "y") +
                                " coordinate of " + (in_x ? "column " : "row ") +
                                std::to_string(in_x ? first[0] : first[1]));
  }
  return coordinates;
}

template global_coordinates<float> gather_coordinates(MPI_Comm, const agreed_call&,
                                                      const grid_block<float>&, std::string_view);
template global_coordinates<double> gather_coordinates(MPI_Comm, const agreed_call&,
                                                       const grid_block<double>&, std::string_view);

}  // namespace mapplot::parallel
