#pragma once

#include <mpi.h>

#include <mapplot/parallel_map.hpp>
#include <string_view>
#include <vector>

#include "parallel/call_agreement.hpp"

namespace mapplot::parallel {

template <class T>
MPI_Datatype mpi_type_of();
template <>
inline MPI_Datatype mpi_type_of<float>() {
  return MPI_FLOAT;
}
template <>
inline MPI_Datatype mpi_type_of<double>() {
  return MPI_DOUBLE;
}

// The global grid's coordinates, the same on every rank: each column's x as
// the block holding its first row gives it, each row's y as the block holding
// its first column gives it.
template <class T>
struct global_coordinates {
  std::vector<T> x;
  std::vector<T> y;
};

// Collective: gathers the coordinates (nx + ny values) on every rank, and
// throws on every rank alike when a block's own coordinates differ from
// those another block gives for the same column or row.
template <class T>
global_coordinates<T> gather_coordinates(MPI_Comm comm, const agreed_call& call,
                                         const grid_block<T>& block, std::string_view operation);

extern template global_coordinates<float> gather_coordinates(MPI_Comm, const agreed_call&,
                                                             const grid_block<float>&,
                                                             std::string_view);
extern template global_coordinates<double> gather_coordinates(MPI_Comm, const agreed_call&,
                                                              const grid_block<double>&,
                                                              std::string_view);

}  // namespace mapplot::parallel
