// A map window in a real X server, driven by xdotool as a user drives it:
// hovering writes over the bottom of the picture and leaves the map alone,
// the wheel draws the map closer (fewer, larger cells), Ctrl+S saves that
// zoomed picture, and Home gives back the program's picture pixel for pixel.
#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>
#include <thread>

#include "child_process.hpp"
#include "scratch_folder.hpp"
#include "x_server.hpp"

namespace mapplot::testing {
namespace {

// Shots until two in a row agree: the window has drawn what it was asked.
QImage settled_shot(const x_server& server, const std::string& window, const std::string& name) {
  QImage last = window_shot(server, window, name);
  for (int attempt = 0; attempt < 50; ++attempt) {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    QImage now = window_shot(server, window, name);
    if (!now.isNull() && now == last) return now;
    last = std::move(now);
  }
  return last;
}

// The program's picture (the default 581 x 271) without the strip of words
// the window shows under it.
constexpr int picture_height = 271;
QImage above_strip(const QImage& picture) {
  return picture.copy(0, 0, picture.width(), picture_height);
}

// Changes of colour along row `y` from column `from` to `to`: one fewer than
// the cells crossed.
int cell_changes(const QImage& picture, int y, int from, int to) {
  int changes = 0;
  for (int x = from + 1; x <= to; ++x) changes += picture.pixel(x, y) != picture.pixel(x - 1, y);
  return changes;
}

TEST(WindowReadoutAndZoom, HoverWheelSaveAndHomeInARealWindow) {
  x_server server;
  ASSERT_TRUE(server.ready()) << "Xvfb did not start";
  const temporary_folder scratch;
  background_process program({.arguments = {ZOOMED_MAP_PROGRAM},
                              .unset_environment = {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY"},
                              .set_environment = {"DISPLAY=" + server.display()},
                              .working_directory = scratch.name()});
  const std::string window = find_window(server, "^viewed map$", 120, program);
  ASSERT_FALSE(window.empty()) << "no window titled \"viewed map\"";
  server.run({"xdotool", "mousemove", "0", "0"});
  const QImage program_picture = settled_shot(server, window, "viewed_whole");
  ASSERT_GT(program_picture.height(), picture_height) << "no room for the strip under the picture";
  // The map's square starts at (4, 4) and is as high as the picture allows.
  const int row = 100, from = 8, to = picture_height - 8;
  const int whole_changes = cell_changes(program_picture, row, from, to);
  EXPECT_EQ(whole_changes, 7) << "8 columns across the map";

  // Hovering writes the values under the cursor in the strip only.
  server.run({"xdotool", "mousemove", "--window", window, "60", "100"});
  const QImage hovered = settled_shot(server, window, "viewed_hovered");
  EXPECT_NE(hovered, program_picture) << "nothing shown under the cursor";
  EXPECT_EQ(above_strip(hovered), above_strip(program_picture));

  // Three notches up: about twice as close, drawn again at the window's pixels.
  for (int notch = 0; notch < 3; ++notch) server.run({"xdotool", "click", "4"});
  const QImage zoomed = settled_shot(server, window, "viewed_zoomed");
  EXPECT_NE(above_strip(zoomed), above_strip(program_picture));
  const int zoomed_changes = cell_changes(zoomed, row, from, to);
  EXPECT_GE(zoomed_changes, 2);
  EXPECT_LE(zoomed_changes, 5) << "the zoomed map does not show fewer, larger cells";
  // The legend beside the map is the program's.
  const QRect legend(to + 8, 0, zoomed.width() - to - 8, picture_height);
  EXPECT_EQ(zoomed.copy(legend), program_picture.copy(legend));

  server.run({"xdotool", "windowfocus", "--sync", window});
  server.run({"xdotool", "key", "--clearmodifiers", "ctrl+s"});
  // Named by the frame shown, which the program keeps presenting anew.
  std::string saved;
  for (int attempt = 0; attempt < 100 && saved.empty(); ++attempt) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    for (const auto& entry : std::filesystem::directory_iterator(scratch.name()))
      if (entry.path().filename().string().starts_with("zoomed_map-window-101-"))
        saved = entry.path().string();
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  const QImage saved_picture =
      QImage(QString::fromStdString(saved)).convertToFormat(QImage::Format_RGB32);
  ASSERT_FALSE(saved_picture.isNull()) << "no " << saved;
  const QImage saved_part = above_strip(saved_picture), zoomed_part = above_strip(zoomed);
  int differing = 0;
  for (int y = 0; y < saved_part.height(); ++y)
    for (int x = 0; x < saved_part.width(); ++x)
      differing += (saved_part.pixel(x, y) & 0xffffffu) != (zoomed_part.pixel(x, y) & 0xffffffu);
  EXPECT_EQ(saved_part.size(), zoomed_part.size());
  EXPECT_EQ(differing, 0) << "Ctrl+S did not save the zoom";

  server.run({"xdotool", "key", "--clearmodifiers", "Home"});
  server.run({"xdotool", "mousemove", "0", "0"});
  EXPECT_EQ(settled_shot(server, window, "viewed_home"), program_picture)
      << "Home did not give back the program's picture";

  program.send_signal(SIGTERM);
  program.wait(std::chrono::seconds(30));
}

}  // namespace
}  // namespace mapplot::testing
