#pragma once

#include "internal_api.hpp"

namespace mapplot {

// How the file primitive's waits (a FIFO's reader, room in it) learn of the
// program's cancellation. The windowing layer owns cancellation
// (platform/cancellation.hpp), which sits above this library, so it installs
// its calls here as it loads. Until then, and in programs without the layer,
// a wait ends only by what it waits for or by its own limit.
struct wait_cancellation {
  // A descriptor that becomes readable once cancellation is requested; may throw.
  int (*descriptor)();
  // Throws once cancellation has been requested.
  void (*throw_if_cancelled)();
};

// `calls` must live as long as the process; null withdraws them.
MAPPLOT_INTERNAL_API void install_wait_cancellation(const wait_cancellation* calls) noexcept;

// Waits up to `timeout_milliseconds` (-1: no limit) for `events` on
// `descriptor`, or for the cancellation, which it then throws. Returns whether
// the descriptor is ready; -1 as the descriptor waits for the cancellation or
// the time alone.
bool wait_cancellably(int descriptor, short events, int timeout_milliseconds);

// Throws the cancellation when it has been requested.
void throw_if_wait_cancelled();

}  // namespace mapplot
