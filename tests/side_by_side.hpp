#pragma once

#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace mapplot::testing {

// Runs write(0) and write(1) in two child processes at the same time and
// waits for both; true when both ended normally with status 0. The children
// leave through _exit, so nothing of the test framework runs twice.
inline bool run_side_by_side(const std::function<void(int which)>& write) {
  pid_t children[2];
  for (int which = 0; which < 2; ++which) {
    children[which] = ::fork();
    if (children[which] < 0) return false;
    if (children[which] == 0) {
      write(which);
      ::_exit(0);
    }
  }
  bool all_ended_well = true;
  for (const pid_t child : children) {
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
      all_ended_well = false;
  }
  return all_ended_well;
}

}  // namespace mapplot::testing
