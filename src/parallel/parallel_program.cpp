// A windowed program on every rank: the windowing layer on the root, the
// program itself everywhere. The ranks meet once more when their programs
// end, so that a rank still drawing learns that the root has stopped instead
// of waiting for it.
#include <mpi.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <mapplot/application.hpp>
#include <mapplot/parallel_map.hpp>
#include <optional>
#include <stdexcept>
#include <string>

#include "parallel/call_agreement.hpp"
#include "parallel/collective_failure.hpp"
#include "platform/cancellation.hpp"

namespace mapplot::parallel {
namespace {

const char* level_name(int level) {
  switch (level) {
    case MPI_THREAD_SINGLE:
      return "MPI_THREAD_SINGLE";
    case MPI_THREAD_FUNNELED:
      return "MPI_THREAD_FUNNELED";
    case MPI_THREAD_SERIALIZED:
      return "MPI_THREAD_SERIALIZED";
    default:
      return "MPI_THREAD_MULTIPLE";
  }
}

// Runs the program and meets the other ranks once it has ended, however it
// ended. Returns its failure; a cancellation counts as none here, the layer
// reporting it on the root.
std::optional<failure> run_and_meet(MPI_Comm comm, const std::function<void()>& program,
                                    bool root) {
  std::optional<failure> failed = failure_of_work(program);
  const bool cancelled = failed && failed->type == failure::kind::cancelled;
  wait_for_every_program(comm, root && (cancelled || cancellation_requested()));
  return cancelled ? std::nullopt : failed;
}

// The first failure of a rank other than the root, on every rank.
std::optional<failure> failure_of_other_ranks(MPI_Comm comm, const std::optional<failure>& mine,
                                              int rank) {
  try {
    agree_on_outcome(comm, rank == 0 ? std::nullopt : mine);
  } catch (...) {
    return failure_of(std::current_exception());
  }
  return std::nullopt;
}

}  // namespace

int run_windowed_program(MPI_Comm comm, int argc, char** argv, std::string_view application_name,
                         std::function<void()> program) {
  int rank = 0;
  MPI_Comm_rank(comm, &rank);
  int level = MPI_THREAD_SINGLE;
  MPI_Query_thread(&level);
  int lowest = level;
  MPI_Allreduce(&level, &lowest, 1, MPI_INT, MPI_MIN, comm);
  if (lowest < MPI_THREAD_SERIALIZED) {
    if (rank == 0)
      std::fprintf(stderr,
                   "%.*s: mapplot::parallel::run_windowed_program needs MPI initialised with "
                   "MPI_Init_thread at MPI_THREAD_SERIALIZED or higher on every rank; this run "
                   "has %s\n",
                   static_cast<int>(application_name.size()), application_name.data(),
                   level_name(lowest));
    return EXIT_FAILURE;
  }

  int status = EXIT_SUCCESS;
  if (rank == 0) {
    status = mapplot::run_windowed_program(argc, argv, application_name, [&] {
      const std::optional<failure> failed = run_and_meet(comm, program, true);
      const std::optional<failure> elsewhere = failure_of_other_ranks(comm, std::nullopt, rank);
      if (failed) throw_failure(*failed);
      if (cancellation_requested()) throw program_cancelled();
      // Another rank's failure fails the run, reported as the root's own.
      if (elsewhere) throw std::runtime_error(elsewhere->message);
    });
  } else {
    const std::optional<failure> failed = run_and_meet(comm, program, false);
    (void)failure_of_other_ranks(comm, failed, rank);
  }
  MPI_Bcast(&status, 1, MPI_INT, 0, comm);
  return status;
}

}  // namespace mapplot::parallel
