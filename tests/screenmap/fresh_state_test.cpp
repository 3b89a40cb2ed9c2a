// Its own program: what the display does before any earlier call has left
// state behind (window counter 100, previous legend width 0).
#include <gtest/gtest.h>

#include <mapplot/screen_map.hpp>
#include <vector>

#include "recording_fixture.hpp"

namespace mapplot {
namespace {

using testing::reals_of;
using testing::ScreenMapTest;

TEST_F(ScreenMapTest, FirstCallsOfAProgramRun) {
  const std::vector<double> x{0, 1, 2}, y{0, 1}, values{0, 1, 2, 3, 4, 5};

  // An update before any preparation names window 100 and blacks out from x(nx).
  screen_map(x, y, values, {.ownwindow = true, .update = true});
  EXPECT_EQ(windows.calls.front(), "focus_graphics_window 100");
  const auto boxes = calls_of("draw_rectangle_world");
  EXPECT_EQ(reals_of(boxes.back())[0], 2.0);

  windows.calls.clear();
  screen_map(x, y, values, {.ownwindow = true});
  EXPECT_EQ(windows.calls.front(), "open_graphics_window 101 \"Representation of z=z(x,y)\"");

  windows.calls.clear();
  screen_map(x, y, values, {.ownwindow = false});
  EXPECT_TRUE(calls_of("open_graphics_window").empty());
  screen_map(x, y, values, {.ownwindow = true, .update = true});
  EXPECT_EQ(calls_of("focus_graphics_window").back(), "focus_graphics_window 101");
}

}  // namespace
}  // namespace mapplot
