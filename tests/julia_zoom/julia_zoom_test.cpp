#include <gtest/gtest.h>

#include <fstream>
#include <mapplot/julia_zoom.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "platform/discarding_window_system.hpp"
#include "textout/console_capture.hpp"

namespace mapplot {
namespace {

// Counts what the zoom asks of the windowing layer; the 4.9 million cells
// are only counted, not logged.
struct counting_window_system final : discarding_window_system {
  std::vector<std::string> opened;
  std::vector<int> focused;
  long long filled_world_rectangles = 0;
  std::vector<std::size_t> batches;
  int frames = 0;
  int waits = 0;

  void open_graphics_window(int number, std::string_view title) override {
    opened.push_back(std::to_string(number) + " " + std::string(title));
  }
  void focus_graphics_window(int number) override { focused.push_back(number); }
  void draw_rectangle_world(rectangle_style style, double, double, double, double) override {
    if (style == rectangle_style::filled) ++filled_world_rectangles;
  }
  void wait_for_enter() override { ++waits; }
  void draw_map(std::shared_ptr<const map_data> map) override {
    batches.push_back(map->column_count() * map->row_count());
  }
  void present_frame() override { ++frames; }
};

TEST(JuliaZoom, PreparesOneWindowThenRedrawsEveryFrameIntoIt) {
  counting_window_system windows;
  install_window_system(&windows);
  std::string console_text;
  {
    console_capture console;
    julia_zoom();
    for (const auto& line : console.lines) console_text += line + '\n';
  }
  install_window_system(nullptr);

  // Only the first call opens a window; all 335 draw into that one.
  ASSERT_EQ(windows.opened.size(), 1u);
  const std::string number = windows.opened[0].substr(0, windows.opened[0].find(' '));
  EXPECT_EQ(windows.opened[0], number + " Julia set");
  ASSERT_EQ(windows.focused.size(), 335u);
  for (int focused : windows.focused) EXPECT_EQ(std::to_string(focused), number);
  // Each call is one frame whose map comes as one object; the only world
  // rectangles are the legend's clearing boxes of the 334 updating calls.
  EXPECT_EQ(windows.frames, 335);
  EXPECT_EQ(windows.batches, std::vector<std::size_t>(335, 121 * 121));
  EXPECT_EQ(windows.filled_world_rectangles, 334);
  EXPECT_EQ(windows.waits, 0);

  std::ifstream golden(MAPPLOT_SOURCE_DIR "/tests/julia_zoom/julia_console.txt", std::ios::binary);
  std::stringstream expected;
  expected << golden.rdbuf();
  EXPECT_EQ(console_text, expected.str());
}

}  // namespace
}  // namespace mapplot
