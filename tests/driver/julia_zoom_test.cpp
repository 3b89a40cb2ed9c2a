#include "driver/julia_zoom.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/window_system.hpp"
#include "textout/console.hpp"

namespace mapplot {
namespace {

// Counts what the zoom asks of the windowing layer; the 4.9 million cell
// rectangles are only counted, not logged.
struct counting_window_system final : window_system {
  std::vector<std::string> opened;
  std::vector<int> focused;
  long long filled_world_rectangles = 0;
  int waits = 0;

  void open_graphics_window(int number, std::string_view title) override {
    opened.push_back(std::to_string(number) + " " + std::string(title));
  }
  void focus_graphics_window(int number) override { focused.push_back(number); }
  void clear_window() override {}
  void set_color_index(int) override {}
  void draw_rectangle(rectangle_style, int, int, int, int) override {}
  void set_viewport(int, int, int, int) override {}
  void set_world_window(bool, double, double, double, double) override {}
  void set_color_rgb(int, int, int) override {}
  void draw_rectangle_world(rectangle_style style, double, double, double, double) override {
    if (style == rectangle_style::filled) ++filled_world_rectangles;
  }
  void wait_for_enter() override { ++waits; }
  void reset_window_mode() override {}
  void set_font(std::string_view) override {}
  void set_text_color_index(int) override {}
  void init_fonts() override {}
  void move_to_world(double, double) override {}
  void draw_text(std::string_view) override {}
};

struct captured_console final : console_sink {
  std::string text;
  void write_line(std::string_view line) override {
    text += line;
    text += '\n';
  }
  std::size_t line_width() const override { return 80; }
};

TEST(JuliaZoom, PreparesOneWindowThenRedrawsEveryFrameIntoIt) {
  counting_window_system windows;
  captured_console console;
  install_window_system(&windows);
  install_console_sink(&console);
  julia_zoom();
  install_console_sink(nullptr);
  install_window_system(nullptr);

  // Only the first call opens a window; all 335 draw into that one.
  ASSERT_EQ(windows.opened.size(), 1u);
  const std::string number = windows.opened[0].substr(0, windows.opened[0].find(' '));
  EXPECT_EQ(windows.opened[0], number + " Julia set");
  ASSERT_EQ(windows.focused.size(), 335u);
  for (int focused : windows.focused) EXPECT_EQ(std::to_string(focused), number);
  // Every cell of every frame is filled (the legend adds a few rectangles of its own).
  EXPECT_GE(windows.filled_world_rectangles, 335LL * 121 * 121);
  EXPECT_LT(windows.filled_world_rectangles, 335LL * 121 * 121 + 335 * 4);
  EXPECT_EQ(windows.waits, 0);

  std::ifstream golden(MAPPLOT_SOURCE_DIR "/tests/driver/julia_console.txt", std::ios::binary);
  std::stringstream expected;
  expected << golden.rdbuf();
  EXPECT_EQ(console.text, expected.str());
}

}  // namespace
}  // namespace mapplot
