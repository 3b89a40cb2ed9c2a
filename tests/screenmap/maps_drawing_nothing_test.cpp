// A grid none of whose cells reaches a pixel is handed to the window without
// a copy of its values, with the same warnings and legend as ever; a grid
// that draws keeps them all.
#include <gtest/gtest.h>

#include <limits>
#include <mapplot/screen_map.hpp>
#include <numeric>
#include <vector>

#include "platform/map_pixels.hpp"
#include "recording_fixture.hpp"

namespace mapplot {
namespace {

using testing::reals_of;

class MapsDrawingNothing : public testing::ScreenMapTest {
 protected:
  // The number of values the window was given, and whether any cell of the
  // map reaches a pixel of the viewport and world window it was drawn in.
  struct handed_on {
    std::size_t values;
    bool reaches_a_pixel;
  };
  handed_on last_map() const {
    const map_data& map = *windows.maps.back();
    const std::vector<double> viewport = reals_of(calls_of("set_viewport").back());
    const std::vector<double> world = reals_of(calls_of("set_world_window").back());
    const pixel_rectangle area{static_cast<int>(viewport[0]), static_cast<int>(viewport[1]),
                               static_cast<int>(viewport[2]), static_cast<int>(viewport[3])};
    const auto cells = find_cells_under_pixels(
        map.x, map.y, area, {true, world[0], world[1], world[2], world[3]}, area);
    return {std::visit([](const auto& values) { return values.size(); }, map.values),
            cells.reach().has_value()};
  }
};

TEST_F(MapsDrawingNothing, AreHandedOnWithoutTheirValuesAndSayWhyAsBefore) {
  const double huge = std::numeric_limits<double>::max();
  std::vector<double> rows(1000);
  std::iota(rows.begin(), rows.end(), 0.0);
  std::vector<double> values(rows.size());
  std::iota(values.begin(), values.end(), -10.0);

  screen_map(std::vector<double>{5}, rows, values, {.ownwindow = true});
  ASSERT_EQ(windows.maps.size(), 1u);
  EXPECT_EQ(calls_of("draw_map").back(), "draw_map 1 1000 double -10 989 linear");
  EXPECT_EQ(last_map().values, 0u);
  EXPECT_FALSE(last_map().reaches_a_pixel);
  const auto texts = drawn_texts();
  ASSERT_EQ(texts.size(), 9u);
  EXPECT_EQ(texts[7], "   min = -10.0");
  EXPECT_EQ(texts[8], "   max = 989.");

  const std::vector<float> float_rows{2, 2}, float_values{1, 2, 3, 4, 5, 6};
  screen_map(std::vector<float>{0, 1, 2}, float_rows, float_values, {.ownwindow = true});
  EXPECT_EQ(calls_of("draw_map").back(), "draw_map 3 2 float 1 6 linear");
  EXPECT_EQ(last_map().values, 0u);
  EXPECT_FALSE(last_map().reaches_a_pixel);

  screen_map(std::vector<double>{0, huge}, std::vector<double>{0, 1},
             std::vector<double>{1, 2, 3, 4}, {.ownwindow = true});
  EXPECT_EQ(last_map().values, 0u);
  EXPECT_FALSE(last_map().reaches_a_pixel);

  EXPECT_EQ(console.lines,
            (std::vector<std::string>{
                "  Warning: the x coordinates span no width, map empty",
                "  Warning: the y coordinates span no height, map empty",
                "  Warning: the x coordinates span more than the number range, map empty"}));
}

TEST_F(MapsDrawingNothing, AMapThatDrawsEvenOneCellKeepsAllItsValues) {
  // Two rows one pixel apart at most: the cells still reach pixels.
  screen_map(std::vector<double>{0, 1, 2}, std::vector<double>{0, 1e-3},
             std::vector<double>{0, 1, 2, 3, 4, 5}, {.ownwindow = true});
  EXPECT_EQ(last_map().values, 6u);
  EXPECT_TRUE(last_map().reaches_a_pixel);
  EXPECT_EQ(cell_colors().front(), "0 0 0");
  EXPECT_TRUE(console.lines.empty());
}

}  // namespace
}  // namespace mapplot
