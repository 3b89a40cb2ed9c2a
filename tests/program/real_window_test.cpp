// julia_zoom in a real X server: window 101 titled "Julia set" shows the map
// and its legend, the frame window says when the program has finished and
// asks whether to close, and answering yes ends the program with status 0.
#include <gtest/gtest.h>

#include <QImage>
#include <thread>

#include "child_process.hpp"
#include "map_picture.hpp"
#include "x_server.hpp"

namespace mapplot::testing {
namespace {

// Polls `xdotool search` until a window matches or `seconds` pass.
std::string find_window(const x_server& server, const std::string& name_pattern, int seconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (std::chrono::steady_clock::now() < deadline) {
    const auto found = server.run({"xdotool", "search", "--onlyvisible", "--name", name_pattern});
    if (found.exit_status == 0 && !found.standard_output.empty())
      return found.standard_output.substr(0, found.standard_output.find('\n'));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  return {};
}

int geometry_value(const std::string& shell_geometry, const std::string& name) {
  const auto line = shell_geometry.find(name + "=");
  if (line == std::string::npos) return -1;
  return std::atoi(shell_geometry.c_str() + line + name.size() + 1);
}

TEST(RealWindow, TheZoomPlaysInWindow101AndAsksBeforeClosing) {
  x_server server;
  ASSERT_TRUE(server.ready()) << "Xvfb did not start";
  background_process program({.arguments = {JULIA_ZOOM_PROGRAM},
                              .unset_environment = {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY"},
                              .set_environment = {"DISPLAY=" + server.display()},
                              .working_directory = make_temporary_directory()});

  const std::string map_window = find_window(server, "^Julia set$", 120);
  if (map_window.empty()) {
    const auto ended = program.wait(std::chrono::seconds(1));
    FAIL() << "no window titled \"Julia set\"; the program said:\n" << ended.standard_error;
  }
  const std::string frame_window = find_window(server, "finished", 600);
  ASSERT_FALSE(frame_window.empty()) << "the frame window never said the program had finished";
  EXPECT_TRUE(program.running()) << "the program ended without asking";

  // No window manager runs, so windows may overlap: bring the map to a free spot.
  server.run({"xdotool", "windowmove", map_window, "640", "480"});
  server.run({"xdotool", "windowraise", map_window});
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  const auto geometry = server.run({"xdotool", "getwindowgeometry", "--shell", map_window});
  const std::string shot = MAPPLOT_BINARY_DIR "/tests/program/real_window.png";
  ASSERT_EQ(server.run({"import", "-window", "root", shot}).exit_status, 0);
  QImage screen(QString::fromStdString(shot));
  ASSERT_FALSE(screen.isNull());
  EXPECT_EQ(check_julia_window(screen, geometry_value(geometry.standard_output, "X"),
                               geometry_value(geometry.standard_output, "Y")),
            "")
      << "see " << shot;

  // The question is the active window; Enter takes its default answer, yes.
  const std::string question = find_window(server, "julia_zoom", 10);
  ASSERT_FALSE(question.empty());
  server.run({"xdotool", "windowactivate", "--sync", question});
  server.run({"xdotool", "key", "--clearmodifiers", "Return"});
  const auto result = program.wait(std::chrono::seconds(30));
  EXPECT_FALSE(result.timed_out) << "the program did not close after the answer";
  EXPECT_EQ(result.exit_status, 0) << result.standard_error;
}

}  // namespace
}  // namespace mapplot::testing
