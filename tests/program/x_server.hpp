#pragma once

#include <memory>
#include <string>

#include "child_process.hpp"

namespace mapplot::testing {

// An Xvfb server on a display number it chooses itself, so that servers
// started side by side never compete for one; stopped when destroyed.
class x_server {
 public:
  x_server();
  ~x_server();
  x_server(const x_server&) = delete;
  x_server& operator=(const x_server&) = delete;

  const std::string& display() const { return display_; }
  bool ready() const { return ready_; }

  // Runs an X client (xdotool, import) against this server.
  process_result run(std::vector<std::string> arguments, int timeout_seconds = 30) const;

 private:
  std::string display_;
  bool ready_ = false;
  std::unique_ptr<background_process> server_;
};

}  // namespace mapplot::testing
