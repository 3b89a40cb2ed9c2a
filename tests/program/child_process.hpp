#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace mapplot::testing {

struct process_result {
  int exit_status = -1;        // -1 when killed by a signal or timed out
  int terminating_signal = 0;  // the signal that ended the child, if one did
  bool timed_out = false;
  std::string standard_output;
  std::string standard_error;
};

struct process_request {
  std::vector<std::string> arguments{};  // program first
  std::vector<std::string> unset_environment{};
  std::vector<std::string> set_environment{};  // "NAME=value"
  std::string working_directory = ".";
  std::chrono::seconds timeout{300};
  std::string standard_input{};  // written then closed
};

process_result run_process(const process_request& request);

// A child that keeps running while the test talks to it.
class background_process {
 public:
  explicit background_process(const process_request& request);
  ~background_process();
  background_process(const background_process&) = delete;
  background_process& operator=(const background_process&) = delete;

  // Waits for the child to end; kills it after `timeout`.
  process_result wait(std::chrono::seconds timeout);
  // Whether the child still runs; one that has ended is reaped here, and wait()
  // reports how it ended.
  bool running();
  void send_signal(int signal_number) const;
  int pid() const { return pid_; }
  // What the child has written to its standard output up to now.
  std::string standard_output_so_far() const;

 private:
  // Reaps the child if it has ended; `block` waits for it.
  bool reaped(bool block);

  int pid_ = -1;
  std::string input_path_, output_path_, error_path_;
  bool finished_ = false;
  std::optional<int> wait_status_;
};

std::string read_file(const std::string& path);

}  // namespace mapplot::testing
