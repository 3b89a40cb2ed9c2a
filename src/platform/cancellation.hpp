#pragma once

#include <exception>

#include "internal_api.hpp"

namespace mapplot {

// The program's cancellation. Closing the frame window while the routine
// runs, or SIGINT, SIGTERM or SIGHUP, request it; from then on the layer's
// waiting calls throw program_cancelled, and the routine unwinds: workers are
// joined, child processes stopped and temporary files removed by their
// owners' destructors.

// Thrown on the program's thread by a call that would wait once cancellation
// has been requested. Not derived from std::runtime_error, so that a
// routine's handlers for failures do not swallow it by accident.
class MAPPLOT_INTERNAL_API program_cancelled : public std::exception {
 public:
  const char* what() const noexcept override;
};

// Requests cancellation; `signal_number` is the signal that asked for it, or 0.
// A signal after a request without one is kept as the signal that cancelled.
// Async-signal-safe: it only stores an atomic and writes to an eventfd.
MAPPLOT_INTERNAL_API void request_cancellation(int signal_number = 0) noexcept;

MAPPLOT_INTERNAL_API bool cancellation_requested() noexcept;

// The signal that requested cancellation, or 0 (none, or the window).
MAPPLOT_INTERNAL_API int cancellation_signal() noexcept;

// Throws program_cancelled once cancellation has been requested.
MAPPLOT_INTERNAL_API void throw_if_cancelled();

// A descriptor that becomes readable once cancellation is requested, for
// poll() beside a pipe or socket, so that no wait on a child process outlasts
// cancellation. Valid for the life of the process.
MAPPLOT_INTERNAL_API int cancellation_descriptor();

// Forgets an earlier request: a new layer run (or a test) starts uncancelled.
MAPPLOT_INTERNAL_API void reset_cancellation() noexcept;

}  // namespace mapplot
