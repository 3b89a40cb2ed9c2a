// The plot file of a grid split across ranks. PGPLOT draws its image from
// one array, so the root gathers the whole grid and makes the one-process
// call; the outputs' only exception to keeping no more than a block.
#include <mpi.h>

#include <climits>
#include <mapplot/parallel_map.hpp>
#include <mapplot/postscript_map.hpp>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "parallel/block_description.hpp"
#include "parallel/collective_failure.hpp"
#include "parallel/global_coordinates.hpp"
#include "request/grid_size.hpp"

namespace mapplot::parallel {
namespace {

std::uint64_t digest_of(const postscript_options& options) {
  options_digest digest;
  digest.add_common_options(options)
      .add_optional_text(options.filename)
      .add_optional_text(options.device);
  return digest.value();
}

// Receives every other rank's block straight into its place in the grid: a
// subarray type per rank, no staging copy.
template <class T>
void gather_grid(MPI_Comm comm, const agreed_call& call, const grid_block<T>& block,
                 std::vector<T>& grid) {
  const block_shape& own = call.blocks[static_cast<std::size_t>(call.rank)];
  if (call.rank != 0) {
    if (own.holds_cells())
      MPI_Send(block.z.data, static_cast<int>(own.columns * own.rows), mpi_type_of<T>(), 0, 0,
               comm);
    return;
  }
  std::vector<MPI_Request> requests;
  std::vector<MPI_Datatype> types;
  for (std::size_t rank = 1; rank < call.blocks.size(); ++rank) {
    const block_shape& b = call.blocks[rank];
    if (!b.holds_cells()) continue;
    const int sizes[2] = {static_cast<int>(call.ny), static_cast<int>(call.nx)};
    const int shape[2] = {static_cast<int>(b.rows), static_cast<int>(b.columns)};
    const int starts[2] = {static_cast<int>(b.first_y), static_cast<int>(b.first_x)};
    MPI_Datatype type;
    MPI_Type_create_subarray(2, sizes, shape, starts, MPI_ORDER_C, mpi_type_of<T>(), &type);
    MPI_Type_commit(&type);
    types.push_back(type);
    requests.emplace_back();
    MPI_Irecv(grid.data(), 1, type, static_cast<int>(rank), 0, comm, &requests.back());
  }
  if (own.holds_cells()) {
    for (std::size_t q = 0; q < own.rows; ++q)
      std::copy_n(block.z.data + q * block.z.nx, own.columns,
                  grid.data() + (own.first_y + q) * call.nx + own.first_x);
  }
  MPI_Waitall(static_cast<int>(requests.size()), requests.data(), MPI_STATUSES_IGNORE);
  for (MPI_Datatype& type : types) MPI_Type_free(&type);
}

template <class T>
void collective_postscript_map(MPI_Comm comm, const grid_block<T>& block,
                               const postscript_options& options) {
  const agreed_call call = agree_on_call(
      comm, describe(call_kind::postscript_map, block, digest_of(options)), "postscript_map");
  if (call.size == 1) {
    mapplot::postscript_map(block.x, block.y, block.z, options);
    return;
  }
  // Subarray sizes and message counts are ints.
  if (call.nx > static_cast<std::size_t>(INT_MAX) || call.ny > static_cast<std::size_t>(INT_MAX))
    throw std::invalid_argument("parallel postscript_map: a grid of " + std::to_string(call.nx) +
                                " x " + std::to_string(call.ny) +
                                " has more columns or rows than MPI can send");
  for (std::size_t rank = 0; rank < call.blocks.size(); ++rank) {
    const block_shape& b = call.blocks[rank];
    if (b.holds_cells() && b.columns * b.rows > static_cast<std::size_t>(INT_MAX))
      throw std::invalid_argument("parallel postscript_map: the block of rank " +
                                  std::to_string(rank) + " holds more values than MPI can send");
  }
  checked_cell_count(call.nx, call.ny, sizeof(T));
  const global_coordinates<T> coordinates = gather_coordinates(comm, call, block, "postscript_map");

  std::vector<T> grid;
  std::optional<failure> failed;
  if (call.rank == 0) failed = failure_of_work([&] { grid.resize(call.nx * call.ny); });
  agree_on_outcome(comm, failed);
  gather_grid(comm, call, block, grid);

  if (call.rank == 0)
    failed = failure_of_work([&] {
      mapplot::postscript_map(coordinates.x, coordinates.y,
                              grid_view<T>::of(grid, call.nx, call.ny), options);
    });
  agree_on_outcome(comm, failed);
}

}  // namespace

void postscript_map(MPI_Comm comm, const grid_block<float>& block,
                    const postscript_options& options) {
  collective_postscript_map(comm, block, options);
}

void postscript_map(MPI_Comm comm, const grid_block<double>& block,
                    const postscript_options& options) {
  collective_postscript_map(comm, block, options);
}

}  // namespace mapplot::parallel
