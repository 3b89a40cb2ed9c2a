#pragma once

#include <sys/types.h>

#include <chrono>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "request/temporary_files.hpp"

namespace mapplot {

// The full path of `name` as the shell would run it: searched along PATH
// unless it holds a slash. Empty when there is no such executable file.
std::string find_program(std::string_view name);

// How a child process ended, with what it wrote.
struct process_ending {
  bool exited = false;  // false: ended by a signal
  int exit_status = 0;
  int signal_number = 0;
  std::string output;    // its standard output, when kept
  std::string messages;  // the end of its standard error

  bool succeeded() const { return exited && exit_status == 0; }
  // The last line of the messages, or how the process ended when it said nothing.
  std::string reason() const;
};

// A program fed through a pipe on its standard input. Its standard output is
// kept or discarded (ours carries the console and nothing else), and its
// standard error is kept for the message of a failure.
//
// No wait outlasts the program's cancellation (platform/cancellation.hpp):
// once it is requested, a call that would wait stops the program and throws
// program_cancelled. The program leads a process group of its own; stopping
// is SIGTERM to the group, SIGKILL after a short grace, and the program is
// reaped. The destructor stops a program still running.
// A fatal signal to this process kills the program (temporary_files.hpp).
class piped_process {
 public:
  // arguments[0] is the program's path. Throws std::system_error when it
  // cannot be started.
  explicit piped_process(const std::vector<std::string>& arguments, bool keep_output = false);
  ~piped_process();
  piped_process(const piped_process&) = delete;
  piped_process& operator=(const piped_process&) = delete;

  // Writes all of `bytes`, waiting for the program to make room in the pipe:
  // taken; closed when the program no longer reads its input (it ended or
  // closed it); stalled when it has taken nothing for `stall_limit`. Never
  // raises SIGPIPE. Throws std::system_error for any other failure.
  enum class input_outcome { taken, closed, stalled };
  input_outcome write_input(std::span<const std::byte> bytes,
                            std::chrono::milliseconds stall_limit);

  // Closes the input and waits for the program to end.
  process_ending finish();

  // Ends the program now (see above) and tells how it ended.
  process_ending stop() noexcept;

 private:
  enum class wait_outcome { ended, timed_out, cancelled };
  wait_outcome wait_for_end(int timeout_milliseconds, bool cancellable) noexcept;
  process_ending reap() noexcept;
  [[noreturn]] void stop_for_cancellation();

  pid_t pid_ = -1;
  int end_signal_ = -1;  // readable once the program has ended (a pidfd), or -1
  int input_ = -1;       // our end of the pipe
  int output_ = -1;      // an unnamed file holding the program's standard output
  int messages_ = -1;    // an unnamed file holding its standard error
  temporary_registration registration_;
};

}  // namespace mapplot
