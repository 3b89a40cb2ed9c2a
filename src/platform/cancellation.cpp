#include "platform/cancellation.hpp"

#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <system_error>

#include "request/wait_cancellation.hpp"

namespace mapplot {
namespace {

// -1: not requested; otherwise the signal number (0 for none).
std::atomic<int> requested_by{-1};
std::atomic<int> event_descriptor{-1};
static_assert(std::atomic<int>::is_always_lock_free, "the signal handlers store these");

void signal_event(int descriptor) noexcept {
  if (descriptor < 0) return;
  const std::uint64_t one = 1;
  // A full counter is already readable; nothing else can go wrong here.
  [[maybe_unused]] const ssize_t written = ::write(descriptor, &one, sizeof one);
}

// The file primitive's waits end with the program's cancellation; installed
// as the library loads, so every program that can be cancelled has it.
const wait_cancellation for_file_waits{cancellation_descriptor, throw_if_cancelled};
[[maybe_unused]] const bool file_waits_cancellable = [] {
  install_wait_cancellation(&for_file_waits);
  return true;
}();

}  // namespace

const char* program_cancelled::what() const noexcept {
  return "the program was cancelled";
}

void request_cancellation(int signal_number) noexcept {
  int expected = -1;
  if (requested_by.compare_exchange_strong(expected, signal_number)) {
    signal_event(event_descriptor.load());
  } else if (expected == 0 && signal_number > 0) {
    // A signal during an unwinding the window began: the process is to end
    // by it, as it would have without the window.
    requested_by.compare_exchange_strong(expected, signal_number);
  }
}

bool cancellation_requested() noexcept {
  return requested_by.load() >= 0;
}

int cancellation_signal() noexcept {
  const int by = requested_by.load();
  return by > 0 ? by : 0;
}

void throw_if_cancelled() {
  if (cancellation_requested()) throw program_cancelled();
}

int cancellation_descriptor() {
  int descriptor = event_descriptor.load();
  if (descriptor >= 0) return descriptor;
  const int made = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (made < 0) throw std::system_error(errno, std::generic_category(), "eventfd");
  if (!event_descriptor.compare_exchange_strong(descriptor, made)) {
    ::close(made);
    return descriptor;
  }
  // A request that came before the descriptor existed still wakes its pollers.
  if (cancellation_requested()) signal_event(made);
  return made;
}

void reset_cancellation() noexcept {
  requested_by.store(-1);
  const int descriptor = event_descriptor.load();
  if (descriptor < 0) return;
  std::uint64_t count = 0;
  [[maybe_unused]] const ssize_t drained = ::read(descriptor, &count, sizeof count);
}

}  // namespace mapplot
