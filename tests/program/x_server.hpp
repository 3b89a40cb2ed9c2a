#pragma once

#include <QImage>
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

// Polls `xdotool search` on `server` until a visible window's name matches
// or `seconds` pass; gives up at once when `program`, whose window it is, has
// ended. The window's id, or empty.
std::string find_window(const x_server& server, const std::string& name_pattern, int seconds,
                        background_process& program);

// A shot of `window` as it is on the screen, saved in the build's test folder
// as `name`.png; null when it cannot be taken.
QImage window_shot(const x_server& server, const std::string& window, const std::string& name);

}  // namespace mapplot::testing
