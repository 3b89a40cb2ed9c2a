#include "parallel/collective_failure.hpp"

#include <new>
#include <stdexcept>
#include <system_error>
#include <vector>

#include "platform/cancellation.hpp"

namespace mapplot::parallel {

failure failure_of(std::exception_ptr exception) {
  try {
    std::rethrow_exception(exception);
  } catch (const program_cancelled& cancelled) {
    return {failure::kind::cancelled, 0, cancelled.what()};
  } catch (const std::system_error& error) {
    // what() is "<what_arg>: <reason>"; the reason comes back with the code.
    std::string message = error.what();
    const std::string reason = ": " + error.code().message();
    if (message.size() >= reason.size() &&
        message.compare(message.size() - reason.size(), reason.size(), reason) == 0)
      message.resize(message.size() - reason.size());
    return {failure::kind::system_error, error.code().value(), message};
  } catch (const std::invalid_argument& error) {
    return {failure::kind::invalid_argument, 0, error.what()};
  } catch (const std::logic_error& error) {
    return {failure::kind::logic_error, 0, error.what()};
  } catch (const std::bad_alloc&) {
    return {failure::kind::bad_alloc, 0, "insufficient virtual memory"};
  } catch (const std::exception& error) {
    return {failure::kind::runtime_error, 0, error.what()};
  } catch (...) {
    return {failure::kind::runtime_error, 0, "unknown exception"};
  }
}

void throw_failure(const failure& what_failed) {
  switch (what_failed.type) {
    case failure::kind::cancelled:
      throw program_cancelled();
    case failure::kind::system_error:
      throw std::system_error(what_failed.error_number, std::generic_category(),
                              what_failed.message);
    case failure::kind::invalid_argument:
      throw std::invalid_argument(what_failed.message);
    case failure::kind::logic_error:
      throw std::logic_error(what_failed.message);
    case failure::kind::bad_alloc:
      throw std::bad_alloc();
    case failure::kind::runtime_error:
      break;
  }
  throw std::runtime_error(what_failed.message);
}

void agree_on_outcome(MPI_Comm comm, const std::optional<failure>& mine) {
  int rank = 0, size = 1;
  MPI_Comm_rank(comm, &rank);
  MPI_Comm_size(comm, &size);
  const int candidate = mine ? rank : size;
  int first_failed = size;
  MPI_Allreduce(&candidate, &first_failed, 1, MPI_INT, MPI_MIN, comm);
  if (first_failed == size) return;

  failure shared = first_failed == rank ? *mine : failure{};
  int header[3] = {static_cast<int>(shared.type), shared.error_number,
                   static_cast<int>(shared.message.size())};
  MPI_Bcast(header, 3, MPI_INT, first_failed, comm);
  std::vector<char> text(static_cast<std::size_t>(header[2]));
  if (first_failed == rank) text.assign(shared.message.begin(), shared.message.end());
  MPI_Bcast(text.data(), header[2], MPI_CHAR, first_failed, comm);
  throw_failure(
      {static_cast<failure::kind>(header[0]), header[1], std::string(text.begin(), text.end())});
}

}  // namespace mapplot::parallel
