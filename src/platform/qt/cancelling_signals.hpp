#pragma once

#include <signal.h>

#include <array>

namespace mapplot {

// While it lives: SIGINT, SIGTERM and SIGHUP request the program's
// cancellation instead of killing it, so that the routine unwinds; SIGPIPE is
// caught and dropped, so that writing to a reader that has gone away is an
// error the writer sees (child processes still start with its default action). Each only where its
// disposition was the default one (a signal the parent ignores stays ignored). A second SIGINT,
// SIGTERM or SIGHUP, while the routine unwinds, ends the process at once by that signal, after
// the temporary files' clean-up (request/temporary_files.hpp): no temporary file is left and the
// child processes are stopped. The dispositions are put back when it ends.
class cancelling_signals {
 public:
  cancelling_signals();
  ~cancelling_signals();
  cancelling_signals(const cancelling_signals&) = delete;
  cancelling_signals& operator=(const cancelling_signals&) = delete;

 private:
  struct replaced {
    int signal_number = 0;
    bool installed = false;
    struct sigaction previous {};
  };
  std::array<replaced, 4> replaced_{};
};

// Once everything has unwound: when a signal requested the cancellation, ends
// the process by that signal with its default action, so that the parent
// sees what ended it. Otherwise returns.
void end_by_cancelling_signal();

}  // namespace mapplot
