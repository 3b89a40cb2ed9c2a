#include "x_server.hpp"

#include <sys/stat.h>

#include <thread>

namespace mapplot::testing {
namespace {

bool exists(const std::string& path) {
  struct stat status;
  return stat(path.c_str(), &status) == 0;
}

}  // namespace

// -noreset: by default the server resets when its last client leaves, and a
// client that connects during the reset is refused.
x_server::x_server() {
  int number = 90;
  while (exists("/tmp/.X" + std::to_string(number) + "-lock")) ++number;
  display_ = std::string(":").append(std::to_string(number));
  server_ = std::make_unique<background_process>(
      process_request{.arguments = {"Xvfb", display_, "-screen", "0", "1280x1024x24", "-nolisten",
                                    "tcp", "-noreset"}});
  const std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
  for (int attempt = 0; attempt < 200 && !ready_; ++attempt) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ready_ = exists(socket) && run({"xdpyinfo"}, 10).exit_status == 0;
  }
}

x_server::~x_server() {
  if (server_) server_->wait(std::chrono::seconds(0));
}

process_result x_server::run(std::vector<std::string> arguments, int timeout_seconds) const {
  return run_process({.arguments = std::move(arguments),
                      .unset_environment = {"QT_QPA_PLATFORM"},
                      .set_environment = {"DISPLAY=" + display_},
                      .timeout = std::chrono::seconds(timeout_seconds)});
}

}  // namespace mapplot::testing
