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

  // The question box carries the program's name as its title; Enter takes
  // its default answer, yes.
  const std::string question = find_window(server, "^julia_zoom$", 10);
  ASSERT_FALSE(question.empty());
  server.run({"xdotool", "windowfocus", "--sync", question});
  server.run({"xdotool", "key", "--clearmodifiers", "Return"});
  const auto result = program.wait(std::chrono::seconds(30));
  EXPECT_FALSE(result.timed_out) << "the program did not close after the answer";
  EXPECT_EQ(result.exit_status, 0) << result.standard_error;
}

// A map drawn into the current window: the console shows it until Enter is
// typed into its input line, then returns to text.
TEST(RealWindow, AMapInTheConsoleWaitsForEnter) {
  x_server server;
  ASSERT_TRUE(server.ready()) << "Xvfb did not start";
  background_process program({.arguments = {CONSOLE_MAP_PROGRAM},
                              .unset_environment = {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY"},
                              .set_environment = {"DISPLAY=" + server.display()},
                              .working_directory = make_temporary_directory()});
  const std::string frame = find_window(server, "^console_map .* running$", 60);
  ASSERT_FALSE(frame.empty());
  std::this_thread::sleep_for(std::chrono::seconds(2));

  const auto geometry = server.run({"xdotool", "getwindowgeometry", "--shell", frame});
  const int left = geometry_value(geometry.standard_output, "X");
  const int top = geometry_value(geometry.standard_output, "Y");
  const std::string shot = MAPPLOT_BINARY_DIR "/tests/program/console_map.png";
  ASSERT_EQ(server.run({"import", "-window", "root", shot}).exit_status, 0);
  QImage screen(QString::fromStdString(shot));
  ASSERT_FALSE(screen.isNull());
  // The 580 x 290 layout: cell (1, 1), value 0, lies bottom left and is black;
  // cell (3, 2), value 5, top right and white. Columns end at x = 0.5 and 1.5.
  const auto grey = [&](int x, int y) { return qGray(screen.pixel(left + x, top + y)); };
  EXPECT_EQ(grey(20, 250), 0) << "see " << shot;
  EXPECT_EQ(grey(270, 30), 255) << "see " << shot;
  EXPECT_EQ(grey(150, 250), 51) << "see " << shot;
  EXPECT_TRUE(find_window(server, "finished", 1).empty()) << "returned before Enter";

  server.run({"xdotool", "windowfocus", "--sync", frame});
  server.run({"xdotool", "key", "--clearmodifiers", "Return"});
  ASSERT_FALSE(find_window(server, "finished", 30).empty()) << "Enter did not end the wait";
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  ASSERT_EQ(server.run({"import", "-window", "root", shot}).exit_status, 0);
  screen.load(QString::fromStdString(shot));
  EXPECT_NE(grey(270, 30), 255) << "the console did not return to text; see " << shot;

  const std::string question = find_window(server, "^console_map$", 10);
  ASSERT_FALSE(question.empty()) << "no closing question";
  server.run({"xdotool", "windowfocus", "--sync", question});
  server.run({"xdotool", "key", "--clearmodifiers", "Return"});
  const auto result = program.wait(std::chrono::seconds(30));
  EXPECT_EQ(result.exit_status, 0) << result.standard_error;
}

}  // namespace
}  // namespace mapplot::testing
