#include "platform/qt/cancelling_signals.hpp"

#include <unistd.h>

#include <atomic>
#include <cstdio>

#include "platform/cancellation.hpp"
#include "request/temporary_files.hpp"

namespace mapplot {
namespace {

// Signals taken since the layer started, each run counting from none.
std::atomic<int> signals_taken{0};
static_assert(std::atomic<int>::is_always_lock_free, "the handler counts with it");

// The first signal cancels, and the routine unwinds; one more means the user
// will not wait for that: the temporary files' clean-up removes what the
// unwinding has not yet removed, stops the child processes, and the signal
// ends the process.
extern "C" void request_cancellation_by_signal(int signal_number) {
  if (signals_taken.fetch_add(1) == 0) {
    request_cancellation(signal_number);
  } else {
    temporary_files_signal_handler()(signal_number);
  }
}

// Caught rather than ignored: a write to a closed pipe fails with EPIPE all
// the same, and a child process (ffmpeg) does not inherit the disposition,
// as it would inherit SIG_IGN across exec.
extern "C" void let_the_write_fail(int) {}

}  // namespace

cancelling_signals::cancelling_signals() {
  signals_taken.store(0);
  const std::array<int, 4> numbers{SIGINT, SIGTERM, SIGHUP, SIGPIPE};
  for (std::size_t k = 0; k < numbers.size(); ++k) {
    replaced& entry = replaced_[k];
    entry.signal_number = numbers[k];
    if (::sigaction(entry.signal_number, nullptr, &entry.previous) != 0) continue;
    // Over the default, or over the temporary files' handler that an earlier
    // output file installed: while the layer runs, unwinding removes them.
    const bool taken_over = entry.previous.sa_handler == SIG_DFL ||
                            entry.previous.sa_handler == temporary_files_signal_handler();
    if (!taken_over || (entry.previous.sa_flags & SA_SIGINFO) != 0) continue;
    struct sigaction action {};
    ::sigemptyset(&action.sa_mask);
    if (entry.signal_number == SIGPIPE) {
      action.sa_handler = let_the_write_fail;
      action.sa_flags = SA_RESTART;
    } else {
      action.sa_handler = request_cancellation_by_signal;
      // Restarted calls keep other code free of EINTR; the waits that matter
      // poll the cancellation's descriptor. One handler at a time, so that a
      // third signal waits for the clean-up the second began.
      for (const int cancelling : {SIGINT, SIGTERM, SIGHUP})
        ::sigaddset(&action.sa_mask, cancelling);
      action.sa_flags = SA_RESTART;
    }
    entry.installed = ::sigaction(entry.signal_number, &action, nullptr) == 0;
  }
}

cancelling_signals::~cancelling_signals() {
  for (const replaced& entry : replaced_) {
    if (entry.installed) ::sigaction(entry.signal_number, &entry.previous, nullptr);
  }
}

void end_by_cancelling_signal() {
  const int signal_number = cancellation_signal();
  if (signal_number == 0) return;
  std::fflush(stdout);
  std::fflush(stderr);
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  ::sigemptyset(&action.sa_mask);
  ::sigaction(signal_number, &action, nullptr);
  sigset_t just_this;
  ::sigemptyset(&just_this);
  ::sigaddset(&just_this, signal_number);
  ::pthread_sigmask(SIG_UNBLOCK, &just_this, nullptr);
  ::raise(signal_number);
  // Not reached with the default action of the signals that cancel.
  ::_exit(128 + signal_number);
}

}  // namespace mapplot
