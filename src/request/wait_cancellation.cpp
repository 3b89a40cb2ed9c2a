#include "request/wait_cancellation.hpp"

#include <poll.h>

#include <atomic>
#include <cerrno>
#include <system_error>

namespace mapplot {
namespace {

std::atomic<const wait_cancellation*> installed{nullptr};

int cancellation_descriptor_or_none(const wait_cancellation* calls) noexcept {
  if (calls == nullptr) return -1;
  try {
    return calls->descriptor();
  } catch (...) {
    return -1;  // the check after the wait still sees the cancellation
  }
}

}  // namespace

void install_wait_cancellation(const wait_cancellation* calls) noexcept {
  installed.store(calls);
}

void throw_if_wait_cancelled() {
  if (const wait_cancellation* calls = installed.load()) calls->throw_if_cancelled();
}

bool wait_cancellably(int descriptor, short events, int timeout_milliseconds) {
  throw_if_wait_cancelled();
  const wait_cancellation* calls = installed.load();
  const int cancellation = cancellation_descriptor_or_none(calls);
  pollfd watched[2];
  nfds_t count = 0;
  if (descriptor >= 0) watched[count++] = {descriptor, events, 0};
  if (cancellation >= 0) watched[count++] = {cancellation, POLLIN, 0};
  // Without a descriptor to tell of it, a cancellation is seen within a tick.
  constexpr int tick_milliseconds = 50;
  int timeout = timeout_milliseconds;
  if (calls != nullptr && cancellation < 0 && (timeout < 0 || timeout > tick_milliseconds))
    timeout = tick_milliseconds;
  const int ready = ::poll(watched, count, timeout);
  if (ready < 0 && errno != EINTR) throw std::system_error(errno, std::generic_category(), "poll");
  throw_if_wait_cancelled();
  return ready > 0 && descriptor >= 0 && watched[0].revents != 0;
}

}  // namespace mapplot
