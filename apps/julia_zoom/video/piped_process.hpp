#pragma once

#include <sys/types.h>

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace mapplot {

// The full path of `name` as the shell would run it: searched along PATH
// unless it holds a slash. Empty when there is no such executable file.
std::string find_program(std::string_view name);

// How a child process ended, with what it wrote on its standard error.
struct process_ending {
  bool exited = false;  // false: ended by a signal
  int exit_status = 0;
  int signal_number = 0;
  std::string messages;

  bool succeeded() const { return exited && exit_status == 0; }
  // The last line of the messages, or how the process ended when it said nothing.
  std::string reason() const;
};

// A program fed through a pipe on its standard input. Its standard output is
// discarded (ours carries the console and nothing else) and its standard error
// is kept for the message of a failure. Destroying a process that is still
// running kills it.
class piped_process {
 public:
  // arguments[0] is the program's path. Throws std::system_error when it
  // cannot be started.
  explicit piped_process(const std::vector<std::string>& arguments);
  ~piped_process();
  piped_process(const piped_process&) = delete;
  piped_process& operator=(const piped_process&) = delete;

  // Writes all of `bytes`; false when the program no longer reads its input
  // (it ended or closed it). Never raises SIGPIPE. Throws std::system_error
  // for any other failure.
  bool write_input(std::span<const std::byte> bytes);

  // Closes the input and waits for the program to end.
  process_ending finish();

 private:
  void close_input();
  process_ending wait_for_end();

  pid_t pid_ = -1;
  int input_ = -1;     // our end of the pipe
  int messages_ = -1;  // an unnamed file holding the program's standard error
};

}  // namespace mapplot
