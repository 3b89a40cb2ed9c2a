#pragma once

#include <sys/types.h>

#include <string_view>

#include "internal_api.hpp"

namespace mapplot {

// Temporary files and child processes that a fatal signal must not leave
// behind. A signal that would end the process (SIGINT, SIGTERM, SIGHUP,
// SIGQUIT, SIGPIPE, SIGALRM, SIGXCPU, SIGABRT, SIGSEGV, SIGBUS, SIGFPE,
// SIGILL) first kills the registered child processes and removes the
// registered files, then ends the process as it would have.
//
// The handlers are installed on the first registration, and only for signals
// still at their default disposition: a program that handles a signal itself
// (the windowing layer cancels and unwinds on SIGINT, SIGTERM and SIGHUP)
// cleans up through its destructors instead. The same first registration sets
// SIGXFSZ to be ignored, so that a write past the file size limit fails with
// EFBIG instead of killing the process half way through it.
//
// The table has a fixed size; what does not fit is not protected, nothing
// else. Safe to call from any thread.

// Registers the file `name` in the folder open as `folder`; the descriptor
// must stay open until the registration is withdrawn. Returns the
// registration, or -1 when the table is full or the name too long.
int register_temporary_file(int folder, std::string_view name) noexcept;

// Registers a child process to kill with SIGKILL, with its process group
// when it leads one; -1 when the table is full.
MAPPLOT_INTERNAL_API int register_child_process(pid_t child) noexcept;

// The handler the registry installs, so that code handling a signal itself
// (the windowing layer) may take the signal over from it and give it back.
using temporary_files_handler = void (*)(int);
MAPPLOT_INTERNAL_API temporary_files_handler temporary_files_signal_handler() noexcept;

// Withdraws a registration of either kind; -1 is ignored.
MAPPLOT_INTERNAL_API void withdraw_registration(int registration) noexcept;

// A registration withdrawn when its holder goes.
class temporary_registration {
 public:
  temporary_registration() = default;
  explicit temporary_registration(int registration) : registration_(registration) {}
  ~temporary_registration() { withdraw_registration(registration_); }
  temporary_registration(temporary_registration&& other) noexcept
      : registration_(other.release()) {}
  temporary_registration& operator=(temporary_registration&& other) noexcept {
    if (this != &other) {
      withdraw_registration(registration_);
      registration_ = other.release();
    }
    return *this;
  }

  void reset() noexcept { withdraw_registration(release()); }

 private:
  int release() noexcept {
    const int registration = registration_;
    registration_ = -1;
    return registration;
  }

  int registration_ = -1;
};

}  // namespace mapplot
