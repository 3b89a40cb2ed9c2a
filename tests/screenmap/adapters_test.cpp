#include <gtest/gtest.h>

#include <mapplot/screen_map.hpp>
#include <string>
#include <vector>

#include "recording_fixture.hpp"

namespace mapplot {
namespace {

using testing::reals_of;
using testing::ScreenMapTest;

// The grid z(p, q) = 10p + q (1-based) on 3 x 2 reaches the core column by
// column as 11, 21, 31, 12, 22, 32; scaled from 11..32 those are these greys.
const std::vector<std::string> column_order_greys{"0 0 0",    "121 121 121", "243 243 243",
                                                  "12 12 12", "134 134 134", "255 255 255"};

TEST_F(ScreenMapTest, DoubleGridReachesTheCoreColumnByColumnAndStaysUnchanged) {
  const std::vector<double> x{0, 1, 2}, y{0, 1};
  const std::vector<double> grid{11, 21, 31, 12, 22, 32};
  screen_map(x, y, grid_view<double>{grid.data(), 3, 2}, {.ownwindow = true});
  EXPECT_EQ(cell_colors(), column_order_greys);
  EXPECT_EQ(grid, (std::vector<double>{11, 21, 31, 12, 22, 32}));
}

TEST_F(ScreenMapTest, SingleGridIsKeptInSinglePrecision) {
  const std::vector<float> x{0, 1, 2}, y{0, 1};
  const std::vector<float> grid{11, 21, 31, 12, 22, 32};
  screen_map(std::span<const float>(x), std::span<const float>(y),
             grid_view<float>{grid.data(), 3, 2}, {.ownwindow = true});
  EXPECT_EQ(cell_colors(), column_order_greys);
  EXPECT_EQ(grid, (std::vector<float>{11, 21, 31, 12, 22, 32}));
}

TEST_F(ScreenMapTest, SingleFlatCoordinatesAreWidenedExactlyAndValuesNotScaledInPlace) {
  const std::vector<float> x{0.1f, 1}, y{0, 1}, z{0, 5, 10, 20};
  screen_map(std::span<const float>(x), std::span<const float>(y), std::span<const float>(z),
             {.ownwindow = true});
  EXPECT_EQ(reals_of(calls_of("set_world_window").front())[0], static_cast<double>(0.1f));
  EXPECT_NE(static_cast<double>(0.1f), 0.1);
  EXPECT_EQ(z, (std::vector<float>{0, 5, 10, 20}));
  EXPECT_EQ(cell_colors().size(), 4u);
}

TEST_F(ScreenMapTest, AdapterTextsAreTrimmedByTheCore) {
  const std::vector<double> x{0, 1}, y{0, 1}, grid{0, 1, 2, 3};
  screen_map(x, y, grid_view<double>{grid.data(), 2, 2},
             {.logscale = true, .title = "   Julia set", .winsize = 2, .ownwindow = true});
  EXPECT_EQ(windows.calls.front().substr(windows.calls.front().find('"')), "\"log(Julia set)\"");
  EXPECT_EQ(calls_of("draw_rectangle").front(), "draw_rectangle outline 1 1 451 451");
}

TEST_F(ScreenMapTest, MainRoutineShapeReachesTheCoreWhole) {
  constexpr std::size_t n = 121;
  std::vector<float> x(n), y(n), grid(n * n);
  for (std::size_t i = 0; i < n; ++i) x[i] = y[i] = static_cast<float>(i) - 60;
  for (std::size_t k = 0; k < grid.size(); ++k) grid[k] = static_cast<float>(k % 7);
  screen_map(std::span<const float>(x), std::span<const float>(y),
             grid_view<float>{grid.data(), n, n}, {.ownwindow = true, .update = false});
  // The map keeps the values in single precision, all of them.
  EXPECT_EQ(calls_of("draw_map"), std::vector<std::string>{"draw_map 121 121 float 0 6 linear"});
  ASSERT_NE(drawn_map(), nullptr);
  const auto& kept = std::get<map_values<float>>(drawn_map()->values);
  EXPECT_EQ(std::vector<float>(kept.begin(), kept.end()), grid);
  const auto world = reals_of(calls_of("set_world_window").front());
  EXPECT_EQ(world[0], -60);
  EXPECT_EQ(world[1], -60);
  EXPECT_EQ(world[3], 60);
}

TEST_F(ScreenMapTest, EmptyGridReachesTheCoreAndIsReported) {
  const std::vector<float> x{0, 1}, y{0, 1};
  screen_map(std::span<const float>(x), std::span<const float>(y), grid_view<float>{nullptr, 0, 0},
             {.ownwindow = true});
  EXPECT_EQ(console.lines,
            std::vector<std::string>{"  Warning: 0 values for a 2 x 2 grid, nothing drawn"});
  EXPECT_TRUE(calls_of("draw_map").empty());
}

}  // namespace
}  // namespace mapplot
