#pragma once

#include <mpi.h>

#include <exception>
#include <optional>
#include <string>

namespace mapplot::parallel {

// A failure as it travels between ranks: what kind of exception, its error
// number where it has one, and its message. Every rank that learns of it
// throws the same exception with the same message.
struct failure {
  enum class kind : int {
    invalid_argument = 1,
    system_error,
    logic_error,
    runtime_error,
    bad_alloc,
    cancelled
  };
  kind type = kind::runtime_error;
  int error_number = 0;
  std::string message;
};

// The failure an exception stands for.
failure failure_of(std::exception_ptr exception);

[[noreturn]] void throw_failure(const failure& what_failed);

// Collective: every rank learns whether any rank failed, and if so every
// rank throws the failure of the lowest rank that did.
void agree_on_outcome(MPI_Comm comm, const std::optional<failure>& mine);

// Runs `work` and returns its failure, if any, instead of throwing it.
template <class Work>
std::optional<failure> failure_of_work(Work&& work) {
  try {
    work();
    return std::nullopt;
  } catch (...) {
    return failure_of(std::current_exception());
  }
}

}  // namespace mapplot::parallel
