// julia_zoom in a real X server (Xvfb, started by the test itself), with and
// without a window manager: window 101 titled "Julia set" shows every frame
// whole, beside the frame window and not over it; the frame window says when
// the program has finished and asks whether to close, all on screen; answering
// yes ends the program with status 0.
#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>
#include <functional>
#include <map>
#include <sstream>
#include <thread>

#include "child_process.hpp"
#include "map_picture.hpp"
#include "scratch_folder.hpp"
#include "x_server.hpp"

namespace mapplot::testing {
namespace {

constexpr int screen_width = 1280, screen_height = 1024;  // as x_server starts Xvfb
constexpr int julia_frame_count_for_test = 335;

// A window's own area on the screen, decoration left out.
struct window_area {
  int left = -1, top = -1, width = 0, height = 0;
  int right() const { return left + width; }
  int bottom() const { return top + height; }
};

std::ostream& operator<<(std::ostream& out, const window_area& area) {
  return out << area.width << "x" << area.height << "+" << area.left << "+" << area.top;
}

// From xwininfo, which gives the true position of a window a window manager
// has framed.
window_area area_of(const x_server& server, const std::string& window) {
  const auto said = server.run({"xwininfo", "-id", window});
  const auto value = [&](const std::string& name) {
    const auto line = said.standard_output.find(name + ":");
    return line == std::string::npos
               ? -1
               : std::atoi(said.standard_output.c_str() + line + name.size() + 1);
  };
  return {value("Absolute upper-left X"), value("Absolute upper-left Y"), value("Width"),
          value("Height")};
}

bool on_screen(const window_area& area) {
  return area.left >= 0 && area.top >= 0 && area.right() <= screen_width &&
         area.bottom() <= screen_height;
}

bool overlapping(const window_area& first, const window_area& second) {
  return first.left < second.right() && second.left < first.right() &&
         first.top < second.bottom() && second.top < first.bottom();
}

QImage screenshot(const x_server& server, const std::string& name) {
  const std::string shot = MAPPLOT_BINARY_DIR "/tests/program/" + name + ".png";
  if (server.run({"import", "-window", "root", shot}).exit_status != 0) return {};
  return QImage(QString::fromStdString(shot));
}

// With the zoom finished: map and frame window side by side on screen, the
// question on screen and off the map, the last frame shown. Then answers yes.
void expect_placed_apart_then_close(const x_server& server, background_process& program,
                                    const std::string& map_window, const std::string& shot_name) {
  const std::string frame_window = find_window(server, "finished", 600, program);
  if (frame_window.empty()) {
    const auto ended = program.wait(std::chrono::seconds(1));
    FAIL() << "the frame window never said the program had finished; the program ended with "
           << ended.exit_status << " (signal " << ended.terminating_signal << "):\n"
           << ended.standard_error;
  }
  EXPECT_TRUE(program.running()) << "the program ended without asking";
  const std::string question = find_window(server, "^julia_zoom$", 10, program);
  ASSERT_FALSE(question.empty()) << "no closing question";
  std::this_thread::sleep_for(std::chrono::milliseconds(500));

  const window_area map = area_of(server, map_window);
  const window_area frame = area_of(server, frame_window);
  const window_area asking = area_of(server, question);
  EXPECT_TRUE(on_screen(map)) << map;
  EXPECT_TRUE(on_screen(frame)) << "the input line is off screen: " << frame;
  EXPECT_TRUE(on_screen(asking)) << asking;
  EXPECT_FALSE(overlapping(map, frame)) << map << " and " << frame;
  EXPECT_FALSE(overlapping(map, asking)) << map << " and " << asking;

  const QImage screen = screenshot(server, shot_name);
  ASSERT_FALSE(screen.isNull());
  EXPECT_EQ(check_julia_window(screen, map.left, map.top), "")
      << "see " MAPPLOT_BINARY_DIR "/tests/program/" << shot_name << ".png";

  // The question box carries the program's name as its title; Enter takes
  // its default answer, yes.
  server.run({"xdotool", "windowfocus", "--sync", question});
  server.run({"xdotool", "key", "--clearmodifiers", "Return"});
  const auto result = program.wait(std::chrono::seconds(30));
  EXPECT_FALSE(result.timed_out) << "the program did not close after the answer";
  EXPECT_EQ(result.exit_status, 0) << result.standard_error;
}

// Window 101 captured whenever its picture changes, while a julia_zoom that
// notes every frame it presents plays: each capture is one whole presented
// frame (never a mixture of two), and frames appear in order.
TEST(RealWindow, EveryFrameIsShownWholeInWindow101BesideTheConsole) {
  x_server server;
  ASSERT_TRUE(server.ready()) << "Xvfb did not start";
  const temporary_folder scratch;
  const std::string folder = scratch.name();
  const std::string frames_file = folder + "/frames.txt";
  background_process program({.arguments = {RECORDED_ZOOM_PROGRAM, frames_file},
                              .unset_environment = {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY"},
                              .set_environment = {"DISPLAY=" + server.display()},
                              .working_directory = folder});
  const std::string map_window = find_window(server, "^Julia set$", 120, program);
  if (map_window.empty()) {
    const auto ended = program.wait(std::chrono::seconds(1));
    FAIL() << "no window titled \"Julia set\"; the program said:\n" << ended.standard_error;
  }
  // The watcher stops once the picture has stayed the same for 3 seconds, so
  // before the program is closed (a window going away is no frame).
  background_process watcher({.arguments = {WINDOW_WATCHER_PROGRAM, map_window, "3", "271"},
                              .unset_environment = {"QT_QPA_PLATFORM"},
                              .set_environment = {"DISPLAY=" + server.display()}});
  const auto watched = watcher.wait(std::chrono::seconds(600));
  expect_placed_apart_then_close(server, program, map_window, "real_window");

  // Some late frames are alike: a picture stands for its first and last frame.
  std::map<std::string, std::pair<int, int>> frames_of_hash;
  std::istringstream frames(read_file(frames_file));
  for (std::string number, hash, time; frames >> number >> hash >> time;) {
    const int frame = std::stoi(number);
    const auto [found, added] = frames_of_hash.emplace(hash, std::pair{frame, frame});
    if (!added) found->second.second = frame;
  }
  ASSERT_FALSE(frames_of_hash.empty()) << "no frame was presented";

  std::istringstream captures(watched.standard_output);
  int whole = 0, mixed = 0, earliest_possible = 0;
  bool in_order = true;
  std::string unmatched;
  for (std::string time, size, hash; captures >> time >> size >> hash;) {
    const auto found = frames_of_hash.find(hash);
    if (found == frames_of_hash.end()) {
      ++mixed;
      unmatched +=
          "\n  at " + time + " ms, " + size + " after frame " + std::to_string(earliest_possible);
      continue;
    }
    ++whole;
    const auto [first, last] = found->second;
    in_order = in_order && last >= earliest_possible;
    earliest_possible = std::max(earliest_possible, first);
  }
  EXPECT_EQ(mixed, 0) << "captures that are no presented frame, of " << mixed + whole << ":"
                      << unmatched;
  EXPECT_GT(whole, 0) << watched.standard_error;
  EXPECT_TRUE(in_order);
  std::cout << "window 101 captured " << whole << " times; " << frames_of_hash.size()
            << " different pictures presented\n";
}

TEST(RealWindow, WithAWindowManagerTheWindowsStillStandApartOnScreen) {
  x_server server;
  ASSERT_TRUE(server.ready()) << "Xvfb did not start";
  background_process manager(
      {.arguments = {"openbox"}, .set_environment = {"DISPLAY=" + server.display()}});
  // The window manager is up once it has claimed the screen.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (server.run({"xprop", "-root", "_NET_SUPPORTING_WM_CHECK"})
             .standard_output.find("window id") == std::string::npos) {
    ASSERT_TRUE(manager.running()) << "openbox did not start";
    ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "openbox did not take the screen";
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }

  const temporary_folder working_folder;
  background_process program({.arguments = {JULIA_ZOOM_PROGRAM},
                              .unset_environment = {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY"},
                              .set_environment = {"DISPLAY=" + server.display()},
                              .working_directory = working_folder.name()});
  const std::string map_window = find_window(server, "^Julia set$", 120, program);
  ASSERT_FALSE(map_window.empty()) << "no window titled \"Julia set\"";
  expect_placed_apart_then_close(server, program, map_window, "real_window_managed");
}

// How many frame files the zoom has written: one for every frame presented.
int frames_kept(const std::string& folder) {
  std::error_code missing;
  int count = 0;
  for (auto entry = std::filesystem::directory_iterator(folder, missing);
       !missing && entry != std::filesystem::directory_iterator(); ++entry) {
    if (entry->path().extension() == ".png") ++count;
  }
  return count;
}

// Waits until `count()` has kept one value for `quiet`, at most `seconds`,
// while `program` runs; returns that value, or -1 when it never settled.
int settled(const std::function<int()>& count, std::chrono::milliseconds quiet, int seconds,
            background_process& program) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  int last = count();
  auto since = std::chrono::steady_clock::now();
  while (std::chrono::steady_clock::now() < deadline && program.running()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const int now = count();
    if (now != last) {
      last = now;
      since = std::chrono::steady_clock::now();
    } else if (std::chrono::steady_clock::now() - since >= quiet) {
      return last;
    }
  }
  return -1;
}

// Pixel for pixel, whatever colour space the files declare.
bool same_pixels(const QImage& first, const QImage& second) {
  if (first.isNull() || first.size() != second.size()) return false;
  for (int y = 0; y < first.height(); ++y) {
    for (int x = 0; x < first.width(); ++x) {
      if ((first.pixel(x, y) & 0xffffffu) != (second.pixel(x, y) & 0xffffffu)) return false;
    }
  }
  return true;
}

// The windows say "paused" (and the pace, and values under the pointer) in a
// strip of their own under the picture; above it is the program's frame.
bool same_pixels_above_status_strip(const QImage& shown, const QImage& frame) {
  if (shown.isNull() || frame.isNull() || shown.width() != frame.width() ||
      shown.height() <= frame.height())
    return false;
  return same_pixels(shown.copy(0, 0, frame.width(), frame.height()), frame);
}

// Whether the strip under a frame's picture has anything written in it.
bool strip_has_words(const QImage& shown, const QImage& frame) {
  for (int y = frame.height(); y < shown.height(); ++y) {
    for (int x = 0; x < shown.width(); ++x) {
      if ((shown.pixel(x, y) & 0xffffffu) != 0) return true;
    }
  }
  return false;
}

QImage frame_file(const std::string& folder, int k) {
  char name[32];
  std::snprintf(name, sizeof name, "/frame-%03d.png", k);
  return QImage(QString::fromStdString(folder + name));
}

// Keys in window 101 while the zoom plays with --frames: Space holds the
// frames where they are and says so in the frame window's title, the right
// arrow lets exactly one more through, Ctrl+S saves what the window shows,
// and Space again lets the zoom run to its end with every frame kept.
TEST(RealWindow, KeysPauseStepAndSaveTheShownFrame) {
  x_server server;
  ASSERT_TRUE(server.ready()) << "Xvfb did not start";
  const temporary_folder scratch;
  const std::string folder = scratch.name();
  const std::string frames = folder + "/frames";
  background_process program({.arguments = {JULIA_ZOOM_PROGRAM, "--frames", frames},
                              .unset_environment = {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY"},
                              .set_environment = {"DISPLAY=" + server.display()},
                              .working_directory = folder});
  const std::string map_window = find_window(server, "^Julia set$", 120, program);
  ASSERT_FALSE(map_window.empty()) << "no window titled \"Julia set\"";
  // Away from the window, so that no values are read out over the picture.
  server.run({"xdotool", "mousemove", "0", "0"});
  const auto press = [&](const std::string& key) {
    server.run({"xdotool", "windowfocus", "--sync", map_window});
    server.run({"xdotool", "key", "--clearmodifiers", key});
  };
  const auto kept = [&] { return frames_kept(frames); };
  const auto quiet = std::chrono::milliseconds(1500);

  press("space");
  EXPECT_FALSE(find_window(server, "^julia_zoom .* paused$", 30, program).empty())
      << "no \"paused\" title";
  const int paused_at = settled(kept, quiet, 60, program);
  ASSERT_GT(paused_at, 0) << "the frames did not stop";
  ASSERT_LT(paused_at, 334) << "the zoom had ended before it could be paused";
  const QImage shown = window_shot(server, map_window, "paused_window");
  std::this_thread::sleep_for(quiet);
  EXPECT_EQ(kept(), paused_at);
  EXPECT_TRUE(same_pixels(window_shot(server, map_window, "paused_window_later"), shown))
      << "the window changed while paused";
  EXPECT_TRUE(same_pixels_above_status_strip(shown, frame_file(frames, paused_at)))
      << "the window is not the last kept frame";

  press("Right");
  const int stepped_to = settled(kept, quiet, 60, program);
  EXPECT_EQ(stepped_to, paused_at + 1) << "the arrow did not step exactly one frame";
  const QImage stepped = window_shot(server, map_window, "stepped_window");
  EXPECT_TRUE(same_pixels_above_status_strip(stepped, frame_file(frames, stepped_to)));
  EXPECT_TRUE(strip_has_words(stepped, frame_file(frames, stepped_to)))
      << "window 101 does not say that it is paused";

  press("ctrl+s");
  const std::string saved =
      folder + "/julia_zoom-window-101-" + std::to_string(stepped_to) + ".png";
  EXPECT_TRUE(settled([&] { return std::filesystem::exists(saved) ? 1 : 0; }, quiet, 30, program) ==
              1)
      << "no " << saved;
  EXPECT_TRUE(same_pixels(QImage(QString::fromStdString(saved)), frame_file(frames, stepped_to)))
      << "the saved picture is not the window's, or has its words";

  press("space");
  EXPECT_FALSE(find_window(server, "finished", 600, program).empty()) << "the zoom did not go on";
  EXPECT_EQ(kept(), julia_frame_count_for_test);
  const std::string question = find_window(server, "^julia_zoom$", 10, program);
  ASSERT_FALSE(question.empty()) << "no closing question";
  server.run({"xdotool", "windowfocus", "--sync", question});
  server.run({"xdotool", "key", "--clearmodifiers", "Return"});
  const auto result = program.wait(std::chrono::seconds(30));
  EXPECT_EQ(result.exit_status, 0) << result.standard_error;
  EXPECT_EQ(result.standard_output, "") << "on screen the console is the frame window";
}

// A map drawn into the current window: the console shows it until Enter is
// typed into its input line, then returns to text.
TEST(RealWindow, AMapInTheConsoleWaitsForEnter) {
  x_server server;
  ASSERT_TRUE(server.ready()) << "Xvfb did not start";
  const temporary_folder working_folder;
  background_process program({.arguments = {CONSOLE_MAP_PROGRAM},
                              .unset_environment = {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY"},
                              .set_environment = {"DISPLAY=" + server.display()},
                              .working_directory = working_folder.name()});
  const std::string frame = find_window(server, "^console_map .* running$", 60, program);
  ASSERT_FALSE(frame.empty());
  std::this_thread::sleep_for(std::chrono::seconds(2));

  const window_area area = area_of(server, frame);
  const std::string shot = MAPPLOT_BINARY_DIR "/tests/program/console_map.png";
  QImage screen = screenshot(server, "console_map");
  ASSERT_FALSE(screen.isNull());
  // The 580 x 290 layout: cell (1, 1), value 0, lies bottom left and is black;
  // cell (3, 2), value 5, top right and white. Columns end at x = 0.5 and 1.5.
  const auto grey = [&](int x, int y) { return qGray(screen.pixel(area.left + x, area.top + y)); };
  EXPECT_EQ(grey(20, 250), 0) << "see " << shot;
  EXPECT_EQ(grey(270, 30), 255) << "see " << shot;
  EXPECT_EQ(grey(150, 250), 51) << "see " << shot;
  EXPECT_TRUE(find_window(server, "finished", 1, program).empty()) << "returned before Enter";

  server.run({"xdotool", "windowfocus", "--sync", frame});
  server.run({"xdotool", "key", "--clearmodifiers", "Return"});
  ASSERT_FALSE(find_window(server, "finished", 30, program).empty())
      << "Enter did not end the wait";
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  screen = screenshot(server, "console_map");
  ASSERT_FALSE(screen.isNull());
  EXPECT_NE(grey(270, 30), 255) << "the console did not return to text; see " << shot;

  const std::string question = find_window(server, "^console_map$", 10, program);
  ASSERT_FALSE(question.empty()) << "no closing question";
  server.run({"xdotool", "windowfocus", "--sync", question});
  server.run({"xdotool", "key", "--clearmodifiers", "Return"});
  const auto result = program.wait(std::chrono::seconds(30));
  EXPECT_EQ(result.exit_status, 0) << result.standard_error;
}

}  // namespace
}  // namespace mapplot::testing
