#include "child_process.hpp"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace mapplot::testing {
namespace {

int start_child(const process_request& request, const std::string& output_path,
                const std::string& error_path, const std::string& input_path) {
  const pid_t pid = fork();
  if (pid != 0) return pid;
  // As from a terminal, whatever the test runner ignores.
  for (const int signal_number : {SIGINT, SIGTERM, SIGHUP, SIGPIPE})
    std::signal(signal_number, SIG_DFL);
  for (const auto& name : request.unset_environment) unsetenv(name.c_str());
  for (const auto& assignment : request.set_environment) {
    const auto equals = assignment.find('=');
    setenv(assignment.substr(0, equals).c_str(), assignment.substr(equals + 1).c_str(), 1);
  }
  if (chdir(request.working_directory.c_str()) != 0) _exit(126);
  const int input = open(input_path.c_str(), O_RDONLY);
  const int output = open(output_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int error = open(error_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (input < 0 || output < 0 || error < 0) _exit(126);
  dup2(input, 0);
  dup2(output, 1);
  dup2(error, 2);
  std::vector<char*> arguments;
  for (const auto& argument : request.arguments)
    arguments.push_back(const_cast<char*>(argument.c_str()));
  arguments.push_back(nullptr);
  execvp(arguments[0], arguments.data());
  _exit(127);
}

std::string scratch_path(const char* what) {
  static int counter = 0;
  return "/tmp/mapplot-child-" + std::to_string(getpid()) + "-" + std::to_string(++counter) + "-" +
         what;
}

}  // namespace

std::string read_file(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream contents;
  contents << file.rdbuf();
  return contents.str();
}

background_process::background_process(const process_request& request)
    : input_path_(scratch_path("in")),
      output_path_(scratch_path("out")),
      error_path_(scratch_path("err")) {
  std::ofstream(input_path_, std::ios::binary) << request.standard_input;
  pid_ = start_child(request, output_path_, error_path_, input_path_);
  if (pid_ < 0) throw std::runtime_error("fork failed");
}

background_process::~background_process() {
  if (!finished_) wait(std::chrono::seconds(0));
}

bool background_process::reaped(bool block) {
  if (wait_status_) return true;
  int status = 0;
  pid_t ended = 0;
  do {
    ended = waitpid(pid_, &status, block ? 0 : WNOHANG);
  } while (ended < 0 && errno == EINTR);
  if (ended == pid_) wait_status_ = status;
  // Not our child any more (reaped elsewhere): nothing is left to wait for.
  if (ended < 0) wait_status_ = 0;
  return wait_status_.has_value();
}

bool background_process::running() {
  if (finished_) return false;
  return !reaped(false);
}

void background_process::send_signal(int signal_number) const {
  if (!wait_status_) kill(pid_, signal_number);
}

std::string background_process::standard_output_so_far() const {
  return read_file(output_path_);
}

process_result background_process::wait(std::chrono::seconds timeout) {
  process_result result;
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!reaped(false)) {
    if (std::chrono::steady_clock::now() >= deadline) {
      // Polite first, so that a server can remove its lock files.
      result.timed_out = true;
      kill(pid_, SIGTERM);
      for (int grace = 0; grace < 100 && !reaped(false); ++grace)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      if (!wait_status_ && kill(pid_, SIGKILL) == 0) reaped(true);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  finished_ = true;
  const int status = wait_status_.value_or(0);
  if (!result.timed_out && WIFEXITED(status)) result.exit_status = WEXITSTATUS(status);
  if (!result.timed_out && WIFSIGNALED(status)) result.terminating_signal = WTERMSIG(status);
  result.standard_output = read_file(output_path_);
  result.standard_error = read_file(error_path_);
  unlink(input_path_.c_str());
  unlink(output_path_.c_str());
  unlink(error_path_.c_str());
  return result;
}

process_result run_process(const process_request& request) {
  background_process process(request);
  return process.wait(request.timeout);
}

}  // namespace mapplot::testing
