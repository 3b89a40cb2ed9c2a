#pragma once
/// \file
/// Maps of a field split across the ranks of an MPI program: screen_map(),
/// postscript_map() and data_map() as collectives over a communicator, each
/// rank giving its own block of the global grid (CMake: mapplot::parallel;
/// pkg-config: mapplot-parallel; built where CMake finds MPI).
///
/// Every call makes exactly what the one-process call makes from the
/// assembled grid (the global x, y and nx * ny values): the same pixels and
/// legend in the root's window, the same console lines (once, on the root),
/// the same data file bytes, the same plot file. With MPI_COMM_SELF each
/// call is the ordinary call.
///
/// What travels and what is kept, per call:
/// - screen_map() and data_map(): no rank holds more than its block plus
///   O(nx + ny + pixels). The coordinates (nx + ny values) are gathered on
///   every rank, the value range is one reduction, each rank sends the values
///   of the cells its block shows in the picture (at most one per pixel), and
///   the root keeps those values only, never the grid: a wheel zoom in the
///   root's window enlarges them, and its readout says so. The data file is
///   written by all ranks at once through MPI-IO, each rank its own values at
///   their offsets.
/// - postscript_map() is the one exception: PGPLOT draws its image from one
///   array, so the root gathers the whole grid (nx * ny values) for the call.
///
/// Failures are collective. A bad tiling (blocks that overlap or leave a
/// gap), blocks that disagree on coordinates, options or the value type,
/// calls that do not match across ranks, a file that cannot be written, or a
/// failure on the root make every rank throw the same kind of exception with
/// the same message; no rank is left waiting in a collective the others have
/// left, an earlier file is kept and no temporary file is left.
///
/// Calls come from one thread per rank at a time, in the same order on every
/// rank, like any MPI collective.
#include <mpi.h>

#include <cstddef>
#include <functional>
#include <mapplot/export.hpp>
#include <mapplot/map_request.hpp>
#include <span>
#include <string_view>

/// The maps of a grid split into blocks across the ranks of an MPI program,
/// each a collective over a communicator (<mapplot/parallel_map.hpp>; CMake:
/// mapplot::parallel): screen_map(), postscript_map() and data_map(), two
/// overloads each (a float or double grid_block), and run_windowed_program(),
/// which runs the windowing layer on rank 0 and the routine on every rank.
namespace mapplot::parallel {

/// This rank's block of a global grid: the global columns first_x ..
/// first_x + x.size() - 1 and rows first_y .. first_y + y.size() - 1, with
/// their coordinates, and the block's values (z.nx == x.size(),
/// z.ny == y.size(), x index fastest).
///
/// The blocks of all ranks tile the global grid: each cell is held by exactly
/// one rank; blocks may differ in size, and a rank may hold none (an empty x
/// or y). Ranks that share columns (or rows) give the same coordinates for
/// them. The global grid's nx and ny are the largest first_x + x.size() and
/// first_y + y.size() of the blocks that hold cells.
template <class T>
struct grid_block {
  std::span<const T> x;     ///< The block's x coordinates, one a column.
  std::span<const T> y;     ///< The block's y coordinates, one a row.
  grid_view<T> z;           ///< The block's values, x index fastest.
  std::size_t first_x = 0;  ///< The global column of the block's first cell.
  std::size_t first_y = 0;  ///< The global row of the block's first cell.
};

/// Collective over `comm`; rank 0 of `comm` is the root, which draws into the
/// windowing layer it runs (see run_windowed_program() below) and writes the
/// console lines. The other ranks draw nothing and write no console line.
/// `options` must be the same on every rank.
///
/// Cancellation of the root's windowing layer (its frame window closed, a
/// signal) reaches every rank at its next map call, which throws the layer's
/// internal cancellation; see run_windowed_program().
///
/// \throws std::invalid_argument  On every rank: a bad tiling, blocks whose
///         z does not match their x and y, coordinates or options or value
///         types that differ between ranks, or a call that other ranks do not
///         make at the same time (another operation, or none).
/// \throws std::logic_error  On every rank: `ownwindow` false while the
///         root's windowing layer is a screen_session.
MAPPLOT_API void screen_map(MPI_Comm comm, const grid_block<float>& block,
                            const screen_options& options = {});
/// The same from double-precision blocks.
/// \throws std::invalid_argument  As the float overload: on every rank, for a
///         bad tiling or calls that do not match across ranks.
/// \throws std::logic_error  As the float overload.
MAPPLOT_API void screen_map(MPI_Comm comm, const grid_block<double>& block,
                            const screen_options& options = {});

/// The plot file of the assembled grid, written by the root, which gathers
/// the whole grid for it (nx * ny values on the root, for the call).
/// \throws std::invalid_argument  On every rank, with the root's message,
///         when the root's call refuses the request (device type, file name);
///         and as screen_map().
/// \throws std::system_error  On every rank, with the root's message, when
///         the root cannot write the file.
MAPPLOT_API void postscript_map(MPI_Comm comm, const grid_block<float>& block,
                                const postscript_options& options = {});
/// The same from double-precision blocks.
/// \throws std::invalid_argument  As the float overload.
/// \throws std::system_error  As the float overload.
MAPPLOT_API void postscript_map(MPI_Comm comm, const grid_block<double>& block,
                                const postscript_options& options = {});

/// The data file of the assembled grid, written by every rank at once: the
/// root its header, coordinates and texts, each rank its own values. The
/// file appears under its name only when every rank has written its part;
/// the root then says " Output in <name>".
/// \throws std::system_error  On every rank, naming the file and the reason,
///         when any rank cannot write its part or the root cannot create or
///         commit the file; the earlier file is kept.
/// \throws std::invalid_argument  As screen_map(), and for an unusable name.
MAPPLOT_API void data_map(MPI_Comm comm, const grid_block<float>& block,
                          const data_options& options = {});
/// The same from double-precision blocks.
/// \throws std::system_error  As the float overload.
/// \throws std::invalid_argument  As the float overload.
MAPPLOT_API void data_map(MPI_Comm comm, const grid_block<double>& block,
                          const data_options& options = {});

/// The windowing layer on the root, `program` run on every rank: on the root
/// mapplot::run_windowed_program() runs it on the layer's thread (on screen,
/// or off screen without a display), elsewhere it runs directly. Returns the
/// same exit status on every rank, as run_windowed_program() would on one.
///
/// The layer's thread makes the root's MPI calls, so MPI must have been
/// initialised with MPI_Init_thread at MPI_THREAD_SERIALIZED or higher on
/// every rank; otherwise every rank says so on standard error and the call
/// returns EXIT_FAILURE without running `program`.
///
/// Closing the root's frame window, or SIGINT, SIGTERM or SIGHUP on the
/// root, cancels the run on every rank: each rank's next map call throws the
/// layer's internal cancellation, as the root's own calls do on one process,
/// and `program` should let it pass so that it unwinds. The root's layer
/// waits until every rank's program has ended. After a signal the root ends
/// by that signal, as on one process (mpiexec then ends the others).
///
/// \param comm  The communicator of the ranks that run `program`; its rank 0
///        is the root.
/// \param argc  main()'s argument count.
/// \param argv  main()'s arguments; Qt takes its own options from them.
/// \param application_name  Names the frame window, the saved pictures and
///        the program's messages on standard error.
/// \param program  The routine every rank runs; called once on each.
/// \return EXIT_SUCCESS or EXIT_FAILURE, as run_windowed_program() would
///         return on one process, and the same on every rank.
MAPPLOT_API int run_windowed_program(MPI_Comm comm, int argc, char** argv,
                                     std::string_view application_name,
                                     std::function<void()> program);

}  // namespace mapplot::parallel
