#pragma once

#include <functional>
#include <string_view>

namespace mapplot {

class qt_window_system;

// How the program's routine ended.
enum class routine_end {
  completed,  // returned, and all it drew was presented
  cancelled,  // unwound on program_cancelled
  failed,     // an exception escaped it, and has been reported
};

// Program thread: runs `program`, then presents what it left unpresented.
// An exception that escapes is given to `report` as its message (std::bad_alloc
// as "insufficient virtual memory"); a cancellation is not a failure.
routine_end run_program_routine(const std::function<void()>& program, qt_window_system& system,
                                void (*report)(std::string_view message));

}  // namespace mapplot
