#include "x_server.hpp"

#include <chrono>
#include <thread>

namespace mapplot::testing {

// -displayfd 1: the server picks a free display number itself and writes it
// to its standard output once it accepts clients. -noreset: by default the
// server resets when its last client leaves, and a client that connects
// during the reset is refused.
x_server::x_server() {
  server_ = std::make_unique<background_process>(
      process_request{.arguments = {"Xvfb", "-displayfd", "1", "-screen", "0", "1280x1024x24",
                                    "-nolisten", "tcp", "-noreset"}});
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (display_.empty() && std::chrono::steady_clock::now() < deadline && server_->running()) {
    const std::string said = server_->standard_output_so_far();
    if (const auto end = said.find('\n'); end != std::string::npos) {
      display_ = std::string(":").append(said, 0, end);
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }
  ready_ = !display_.empty() && run({"xdpyinfo"}, 10).exit_status == 0;
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

std::string find_window(const x_server& server, const std::string& name_pattern, int seconds,
                        background_process& program) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (std::chrono::steady_clock::now() < deadline && program.running()) {
    const auto found = server.run({"xdotool", "search", "--onlyvisible", "--name", name_pattern});
    if (found.exit_status == 0 && !found.standard_output.empty())
      return found.standard_output.substr(0, found.standard_output.find('\n'));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return {};
}

QImage window_shot(const x_server& server, const std::string& window, const std::string& name) {
  const std::string shot = MAPPLOT_BINARY_DIR "/tests/program/" + name + ".png";
  if (server.run({"import", "-window", window, shot}).exit_status != 0) return {};
  return QImage(QString::fromStdString(shot)).convertToFormat(QImage::Format_RGB32);
}

}  // namespace mapplot::testing
