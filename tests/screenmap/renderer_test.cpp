#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <mapplot/screen_map.hpp>
#include <set>
#include <thread>
#include <vector>

#include "platform/map_pixels.hpp"
#include "recording_fixture.hpp"

namespace mapplot {
namespace {

using testing::arguments_of;
using testing::operation_of;
using testing::reals_of;
using testing::ScreenMapTest;

constexpr double inf = std::numeric_limits<double>::infinity();
constexpr double nan = std::numeric_limits<double>::quiet_NaN();

class RendererTest : public ScreenMapTest {
 protected:
  void draw(std::vector<double> x, std::vector<double> y, std::vector<double> z,
            const screen_options& options = {.ownwindow = true}) {
    screen_map(x, y, z, options);
  }

  int opened_window() const {
    const auto opened = calls_of("open_graphics_window");
    return opened.empty() ? -1 : std::stoi(arguments_of(opened.back())[0]);
  }

  void expect_all_coordinates_finite() const {
    for (const auto& call : windows.calls) {
      if (call.find("world") == std::string::npos) continue;
      for (double value : reals_of(call)) EXPECT_TRUE(std::isfinite(value)) << call;
    }
  }
};

TEST_F(RendererTest, PreparingCallOpensClearsFramesAndSetsTheWorld) {
  draw({0, 1, 2}, {0, 1}, {0, 1, 2, 3, 4, 5}, {.title = " Julia set ", .ownwindow = true});
  const int number = opened_window();
  const double wx2 = 0 + 2.0 * 573 / 263;
  char world[128];
  std::snprintf(world, sizeof world, "set_world_window true 0 0 %.17g 1", wx2);
  const std::vector<std::string> expected_start{
      "open_graphics_window " + std::to_string(number) + " \"Julia set\"",
      "focus_graphics_window " + std::to_string(number),
      "clear_window",
      "set_color_index 5",
      "draw_rectangle outline 1 1 270 270",
      "set_color_index 1",
      "draw_rectangle filled 4 4 267 267",
      "set_viewport 4 4 577 267",
      world};
  ASSERT_GT(windows.calls.size(), expected_start.size());
  EXPECT_EQ(std::vector<std::string>(windows.calls.begin(), windows.calls.begin() + 9),
            expected_start);
  // The map as one object (its size, precision and grey range), then the
  // legend (no black box on a preparing call), and the whole call is one frame.
  const auto names = operations();
  EXPECT_EQ(windows.calls[9], "draw_map 3 2 double 0 5 linear");
  EXPECT_TRUE(calls_of("draw_rectangle_world").empty());
  EXPECT_EQ(names[10], "init_fonts");
  EXPECT_EQ(names[names.size() - 2], "draw_text");
  EXPECT_EQ(names.back(), "present_frame");
  EXPECT_EQ(std::count(names.begin(), names.end(), "present_frame"), 1);
  EXPECT_TRUE(console.lines.empty());
}

TEST_F(RendererTest, EachPreparingCallOpensTheNextWindowAndUpdatesDrawIntoIt) {
  draw({0, 1}, {0, 1}, {0, 1, 2, 3});
  const int first = opened_window();
  windows.calls.clear();
  draw({0, 1}, {0, 1}, {0, 1, 2, 3});
  EXPECT_EQ(opened_window(), first + 1);
  windows.calls.clear();

  draw({0, 1}, {0, 1}, {0, 1, 2, 3}, {.ownwindow = true, .update = true});
  EXPECT_EQ(windows.calls.front(), "focus_graphics_window " + std::to_string(first + 1));
  EXPECT_TRUE(calls_of("open_graphics_window").empty());
  EXPECT_TRUE(calls_of("clear_window").empty());
  EXPECT_TRUE(calls_of("draw_rectangle").empty());
}

TEST_F(RendererTest, UpdateBlacksOutThePreviousLegendFromFourPixelsRightOfTheMap) {
  draw({0, 4}, {0, 1}, {0, 1, 2, 3});  // leaves a pixel width for the next call
  const double previous_pixel_width = (4.0 * 573 / 263) / 573;
  windows.calls.clear();

  draw({0, 1, 2}, {-1, 1}, {0, 1, 2, 3, 4, 5}, {.ownwindow = true, .update = true});
  const auto names = operations();
  const auto fonts = std::find(names.begin(), names.end(), "init_fonts") - names.begin();
  ASSERT_GE(fonts, 2);
  EXPECT_EQ(windows.calls[fonts - 2], "set_color_rgb 0 0 0");
  const auto box = reals_of(windows.calls[fonts - 1]);
  const double wx2 = 2.0 * 573 / 263;
  EXPECT_EQ(box, (std::vector<double>{2 + 4 * previous_pixel_width, -1, wx2, 1}));
}

TEST_F(RendererTest, CellsSpanMidpointsWithHalfCellsAtTheBorders) {
  draw({0, 1, 2}, {0, 1}, {0, 1, 2, 3, 4, 5});
  ASSERT_NE(drawn_map(), nullptr);
  // In the 580 x 270 layout the map spans pixels 4 .. 267 both ways, y upwards:
  // x = 0.5 and 1.5 fall on columns 69.75 and 201.25, y = 0.5 on row 135.5.
  // A shared edge shows the later cell.
  const world_window world{true, 0, 0, 2.0 * 573 / 263, 1};
  const pixel_rectangle viewport{4, 4, 577, 267};
  const cells_under_pixels shown =
      find_cells_under_pixels(drawn_map()->x, drawn_map()->y, viewport, world, viewport);
  const auto column_of = [&](int pixel) { return shown.columns[pixel - 4]; };
  const auto row_of = [&](int pixel) { return shown.rows[pixel - 4]; };
  EXPECT_EQ(column_of(4), 0u);
  EXPECT_EQ(column_of(69), 0u);
  EXPECT_EQ(column_of(70), 1u);
  EXPECT_EQ(column_of(200), 1u);
  EXPECT_EQ(column_of(201), 2u);
  EXPECT_EQ(column_of(267), 2u);
  EXPECT_EQ(column_of(268), no_cell);
  EXPECT_EQ(row_of(4), 1u);
  EXPECT_EQ(row_of(136), 1u);
  EXPECT_EQ(row_of(137), 0u);
  EXPECT_EQ(row_of(267), 0u);
  EXPECT_EQ(shown.reach(), (pixel_rectangle{4, 4, 267, 267}));
  EXPECT_EQ(cell_colors(), (std::vector<std::string>{"0 0 0", "51 51 51", "102 102 102",
                                                     "153 153 153", "204 204 204", "255 255 255"}));
}

// The grids below have two equal rows: a single row spans no height, and its
// cells would reach no pixel.
std::vector<std::string> twice(const std::vector<std::string>& row) {
  std::vector<std::string> rows = row;
  rows.insert(rows.end(), row.begin(), row.end());
  return rows;
}

TEST_F(RendererTest, HalfLevelsRoundUp) {
  draw({0, 1, 2}, {0, 1}, {0, 1, 2, 0, 1, 2});
  EXPECT_EQ(cell_colors(), twice({"0 0 0", "128 128 128", "255 255 255"}));
}

TEST_F(RendererTest, DoubleFlatValuesAreOnlyRead) {
  // The extra value joins the scaling but is not kept.
  const std::vector<double> x{0, 1, 2}, y{0, 1}, z{0, 5, 10, 0, 5, 10, 20};
  screen_map(x, y, z, {.ownwindow = true});
  EXPECT_EQ(z, (std::vector<double>{0, 5, 10, 0, 5, 10, 20}));
  EXPECT_EQ(cell_colors(), twice({"0 0 0", "64 64 64", "128 128 128"}));
  ASSERT_NE(drawn_map(), nullptr);
  const auto& kept = std::get<map_values<double>>(drawn_map()->values);
  EXPECT_EQ(std::vector<double>(kept.begin(), kept.end()),
            (std::vector<double>{0, 5, 10, 0, 5, 10}));
}

TEST_F(RendererTest, LogarithmicScaleLeavesTheCallersValuesAlone) {
  std::vector<double> x{0, 1, 2}, y{0, 1}, z{1, 10, 100, 1, 10, 100};
  screen_map(x, y, z, {.logscale = true, .ownwindow = true});
  EXPECT_EQ(z, (std::vector<double>{1, 10, 100, 1, 10, 100}));
  EXPECT_EQ(cell_colors(), twice({"0 0 0", "128 128 128", "255 255 255"}));
}

TEST_F(RendererTest, ConstantValuesStopAfterThePreparation) {
  draw({0, 1}, {0, 1}, {7, 7, 7, 7}, {.ownwindow = false});
  const std::vector<std::string> expected{"clear_window",
                                          "set_color_index 5",
                                          "draw_rectangle outline 1 1 290 290",
                                          "set_color_index 1",
                                          "draw_rectangle filled 4 4 287 287",
                                          "set_viewport 4 4 577 287"};
  // The preparation is shown; the console is not given back.
  ASSERT_EQ(windows.calls.size(), 8u);
  EXPECT_EQ(std::vector<std::string>(windows.calls.begin(), windows.calls.end() - 2), expected);
  EXPECT_EQ(windows.calls.back(), "present_frame");
  windows.calls.clear();

  draw({0, 1}, {0, 1}, {7, 7, 7, 7}, {.ownwindow = false, .update = true});
  EXPECT_EQ(operations(),
            (std::vector<std::string>{"set_viewport", "set_world_window", "present_frame"}));
  EXPECT_TRUE(console.lines.empty());
}

TEST_F(RendererTest, ConstantCallKeepsThePreviousLegendWidth) {
  draw({0, 4}, {0, 1}, {0, 1, 2, 3});
  const double previous_pixel_width = (4.0 * 573 / 263) / 573;
  draw({0, 100}, {0, 1}, {1, 1, 1, 1}, {.ownwindow = true, .update = true});
  windows.calls.clear();
  draw({0, 1}, {0, 1}, {0, 1, 2, 3}, {.ownwindow = true, .update = true});
  const auto boxes = calls_of("draw_rectangle_world");
  EXPECT_EQ(reals_of(boxes.back())[0], 1 + 4 * previous_pixel_width);
}

TEST_F(RendererTest, WithoutOwnWindowTheConsoleIsRestoredAfterEnter) {
  draw({0, 1}, {0, 1}, {0, 1, 2, 3}, {.ownwindow = false});
  EXPECT_TRUE(calls_of("open_graphics_window").empty());
  EXPECT_TRUE(calls_of("focus_graphics_window").empty());
  // The map is shown whole before the console waits.
  const std::vector<std::string> tail(windows.calls.end() - 7, windows.calls.end());
  EXPECT_EQ(tail,
            (std::vector<std::string>{"draw_text \"   max = 3.00\"", "present_frame",
                                      "wait_for_enter", "reset_window_mode", "clear_window",
                                      "set_font \"t'Terminal'h12w8\"", "set_text_color_index 7"}));
  EXPECT_EQ(calls_of("draw_rectangle").front(), "draw_rectangle outline 1 1 290 290");
}

TEST_F(RendererTest, ShortValueVectorDrawsOnlyThePreparationAndSaysWhy) {
  draw({0, 1, 2}, {0, 1}, {0, 1, 2, 3, 4});
  EXPECT_EQ(operations(),
            (std::vector<std::string>{"open_graphics_window", "focus_graphics_window",
                                      "clear_window", "set_color_index", "draw_rectangle",
                                      "set_color_index", "draw_rectangle", "present_frame"}));
  EXPECT_EQ(console.lines,
            std::vector<std::string>{"  Warning: 5 values for a 3 x 2 grid, nothing drawn"});
}

TEST_F(RendererTest, EmptyCoordinatesDrawNothingAndSayWhy) {
  draw({}, {0, 1}, {1, 2}, {.ownwindow = true, .update = true});
  draw({0, 1}, {}, {}, {.ownwindow = true, .update = true});
  EXPECT_EQ(operations(), (std::vector<std::string>{"focus_graphics_window", "present_frame",
                                                    "focus_graphics_window", "present_frame"}));
  EXPECT_EQ(console.lines,
            (std::vector<std::string>{"  Warning: no x coordinates, nothing drawn",
                                      "  Warning: no y coordinates, nothing drawn"}));
}

TEST_F(RendererTest, InTheConsoleWindowAnEarlyEndStillGivesTheConsoleBack) {
  draw({}, {0, 1}, {1, 2}, {.ownwindow = false, .update = true});
  EXPECT_EQ(operations(),
            (std::vector<std::string>{"present_frame", "wait_for_enter", "reset_window_mode",
                                      "clear_window", "set_font", "set_text_color_index"}));
  EXPECT_EQ(console.lines, std::vector<std::string>{"  Warning: no x coordinates, nothing drawn"});
}

TEST_F(RendererTest, CoordinatesWithoutExtentLeaveTheMapEmptyAndSaySo) {
  draw({0, 1, 2}, {5}, {0, 1, 2});
  // No row has a pixel height, so no cell reaches the window; the legend does.
  EXPECT_EQ(windows.calls[9], "draw_map 3 1 double 0 2 linear");
  ASSERT_NE(drawn_map(), nullptr);
  const pixel_rectangle viewport{4, 4, 577, 267};
  const world_window world{true, 0, 5, 2.0 * 573 / 263, 5};
  EXPECT_FALSE(find_cells_under_pixels(drawn_map()->x, drawn_map()->y, viewport, world, viewport)
                   .reach()
                   .has_value());
  EXPECT_EQ(calls_of("draw_text").size(), 9u);
  EXPECT_EQ(console.lines,
            std::vector<std::string>{"  Warning: the y coordinates span no height, map empty"});
}

TEST_F(RendererTest, DecreasingXClearsTheLegendColumnRightOfTheMapOnly) {
  draw({2, 1, 0}, {0, 1}, {0, 1, 2, 3, 4, 5});
  draw({2, 1, 0}, {0, 1}, {0, 1, 2, 3, 4, 5}, {.ownwindow = true, .update = true});
  const auto boxes = calls_of("draw_rectangle_world");
  const std::string clearing = boxes.back();
  ASSERT_EQ(arguments_of(clearing).size(), 5u) << clearing;
  // Starts right of x = 2, the map's right edge, not at x(nx) = 0.
  EXPECT_GT(reals_of(clearing)[0], 2.0) << clearing;
}

TEST_F(RendererTest, NonFiniteValuesGetFixedColoursAndStayOutOfTheRange) {
  draw({0, 1, 2}, {0, 1}, {nan, 0, -inf, 10, inf, 5});
  EXPECT_EQ(cell_colors(), (std::vector<std::string>{"0 0 128", "0 0 0", "0 0 0", "255 255 255",
                                                     "255 255 255", "128 128 128"}));
  const auto lines = drawn_texts();
  EXPECT_EQ(lines[7], "   min = 0.00");
  EXPECT_EQ(lines[8], "   max = 10.0");
  EXPECT_EQ(console.lines,
            std::vector<std::string>{
                "  Warning: 3 of 6 values not finite, NaN shown blue, -inf black, +inf white"});
}

TEST_F(RendererTest, LogarithmOfZeroAndNegativeValues) {
  std::vector<double> x{0, 1, 2, 3}, y{0, 1}, z{0, -1, 1, 100, 0, -1, 1, 100};
  screen_map(x, y, z, {.logscale = true, .ownwindow = true});
  EXPECT_EQ(cell_colors(), twice({"0 0 0", "0 0 128", "0 0 0", "255 255 255"}));
  EXPECT_EQ(console.lines,
            std::vector<std::string>{
                "  Warning: 4 of 8 values not finite, NaN shown blue, -inf black, +inf white"});
}

TEST_F(RendererTest, NoFiniteValueEndsLikeConstantValues) {
  draw({0, 1}, {0, 1}, {nan, inf, nan, nan});
  EXPECT_TRUE(calls_of("draw_map").empty());
  EXPECT_TRUE(calls_of("draw_text").empty());
  EXPECT_EQ(console.lines.size(), 1u);
}

TEST_F(RendererTest, RangeBeyondTheDoubleRangeStillScales) {
  std::vector<double> x{0, 1, 2}, y{0, 1}, z{-1e308, 0, 1e308, -1e308, 0, 1e308};
  screen_map(x, y, z, {.ownwindow = true});
  EXPECT_EQ(cell_colors(), twice({"0 0 0", "128 128 128", "255 255 255"}));
}

TEST_F(RendererTest, DegenerateCoordinatesKeepEveryWorldCoordinateFinite) {
  draw({1, 1, 1}, {2, 2}, {0, 1, 2, 3, 4, 5});
  draw({5}, {0}, {1, 2});
  draw({0}, {0}, {1, 2});
  expect_all_coordinates_finite();
  EXPECT_EQ(calls_of("draw_text").size(), 27u);
}

TEST_F(RendererTest, NonFiniteCoordinatesAreLeftOutOfTheWorldWindow) {
  draw({nan, 0, 1}, {0, inf}, {0, 1, 2, 3, 4, 5});
  const auto world = reals_of(calls_of("set_world_window").front());
  EXPECT_EQ(world[0], 0);
  EXPECT_EQ(world[1], 0);
  EXPECT_EQ(world[3], 0);
}

// Where the map would come out blank, a line says why: the same lines as
// the plot files give.
TEST_F(RendererTest, CoordinatesThatLeaveTheMapBlankAreReported) {
  const double huge = std::numeric_limits<double>::max();
  draw({0, 1, nan}, {0, 1}, {0, 1, 2, 3, 4, 5});
  EXPECT_TRUE(cell_colors().empty()) << "a partial map over coordinates that are not finite";
  draw({0, 1}, {0, nan, 1}, {0, 1, 2, 3, 4, 5});
  EXPECT_TRUE(cell_colors().empty()) << "a partial map over y coordinates that are not finite";
  draw({-huge, huge}, {0, 1}, {0, 1, 2, 3});
  draw({0, 1}, {0, huge, -huge}, {0, 1, 2, 3, 4, 5});
  draw({0, huge}, {0, 1}, {0, 1, 2, 3});
  EXPECT_EQ(console.lines,
            (std::vector<std::string>{
                "  Warning: the x coordinates are not all finite, map empty",
                "  Warning: the y coordinates are not all finite, map empty",
                "  Warning: the x coordinates span more than the number range, map empty",
                "  Warning: the y coordinates span more than the number range, map empty",
                "  Warning: the x coordinates span more than the number range, map empty"}));
}

TEST_F(RendererTest, ConcurrentCallsAreSerialised) {
  constexpr int threads = 4, calls_per_thread = 25;
  std::vector<std::thread> callers;
  for (int t = 0; t < threads; ++t) {
    callers.emplace_back([&] {
      for (int i = 0; i < calls_per_thread; ++i) draw({0, 1}, {0, 1}, {0, 1, 2, 3});
    });
  }
  for (auto& caller : callers) caller.join();

  // Every call's opening is followed by its own focus and preparation.
  std::set<int> numbers;
  for (std::size_t i = 0; i < windows.calls.size(); ++i) {
    if (operation_of(windows.calls[i]) != "open_graphics_window") continue;
    const std::string number = arguments_of(windows.calls[i])[0];
    numbers.insert(std::stoi(number));
    ASSERT_LT(i + 2, windows.calls.size());
    EXPECT_EQ(windows.calls[i + 1], "focus_graphics_window " + number);
    EXPECT_EQ(windows.calls[i + 2], "clear_window");
  }
  EXPECT_EQ(numbers.size(), static_cast<std::size_t>(threads * calls_per_thread));
  EXPECT_EQ(*numbers.rbegin() - *numbers.begin(), threads * calls_per_thread - 1);
  EXPECT_EQ(windows.calls.size(), static_cast<std::size_t>(threads * calls_per_thread) * 32);
}

}  // namespace
}  // namespace mapplot
