// A map drawn at the cost of its pixels against the picture of filling every
// cell in order, the way maps used to be drawn: worked out here from the data
// alone, with its own edges, pixel rounding, scale and colours.
#include "platform/map_pixels.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <mapplot/screen_map.hpp>
#include <random>
#include <thread>
#include <vector>

#include "cell_by_cell_raster.hpp"
#include "platform/qt/qt_window_system.hpp"
#include "platform/qt_application.hpp"

namespace mapplot {
namespace {

using testing::reference_raster;

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double inf = std::numeric_limits<double>::infinity();
constexpr pixel_rectangle small_viewport{4, 4, 577, 267};  // the 580 x 270 layout

struct test_map {
  std::vector<double> x, y;
  std::vector<double> z;
  bool logscale = false;
};

// The same map drawn at pixel cost, through the layer's own arithmetic.
template <class Value>
std::vector<argb_pixel> drawn_at_pixel_cost(const test_map& test, const pixel_rectangle& viewport,
                                            const world_window& world, const pixel_rectangle& clip,
                                            int width, int height, argb_pixel fill) {
  map_data map{test.x, test.y, map_values<Value>(test.z.begin(), test.z.end()),
               0,      1,      test.logscale};
  // The range the renderer finds, over the values in their own precision.
  double low = inf, high = -inf;
  for (const double value : test.z) {
    const double quantity = scaled_quantity(static_cast<Value>(value), test.logscale);
    if (!std::isfinite(quantity)) continue;
    low = std::min(low, quantity);
    high = std::max(high, quantity);
  }
  map.zmin = low;
  map.zmax = high;
  std::vector<argb_pixel> pixels(width * height, fill);
  paint_map(map, find_cells_under_pixels(map.x, map.y, viewport, world, clip),
            {pixels.data(), width, height, width});
  return pixels;
}

template <class Value>
void expect_same_picture(const test_map& test, const world_window& world,
                         const pixel_rectangle& clip = small_viewport) {
  constexpr int width = 580, height = 270;
  constexpr argb_pixel fill = 0xff123456u;  // what no cell paints stays as it was
  reference_raster expected(width, height, fill);
  const std::vector<Value> values(test.z.begin(), test.z.end());
  expected.fill_cells(test.x, test.y, values, test.logscale, small_viewport, world, clip);
  const std::vector<argb_pixel> drawn =
      drawn_at_pixel_cost<Value>(test, small_viewport, world, clip, width, height, fill);
  std::size_t differing = 0, first = 0;
  for (std::size_t k = 0; k < drawn.size(); ++k) {
    if (drawn[k] == expected.pixels[k]) continue;
    if (differing++ == 0) first = k;
  }
  EXPECT_EQ(differing, 0u) << "first at column " << first % width << ", row " << first / width
                           << std::hex << ": " << drawn[first] << " for " << expected.pixels[first];
}

world_window world_of(const test_map& test) {
  const auto [x_low, x_high] = std::minmax_element(test.x.begin(), test.x.end());
  const auto [y_low, y_high] = std::minmax_element(test.y.begin(), test.y.end());
  return {true, *x_low, *y_low, *x_low + (*x_high - *x_low) * 573 / 263, *y_high};
}

std::vector<double> uneven(std::size_t n, double from, std::mt19937& random) {
  std::uniform_real_distribution<double> step(0.001, 1.0);
  std::vector<double> coordinates{from};
  while (coordinates.size() < n) coordinates.push_back(coordinates.back() + step(random));
  return coordinates;
}

test_map random_map(std::size_t nx, std::size_t ny, std::mt19937& random) {
  test_map map{uneven(nx, -1, random), uneven(ny, 3, random), {}};
  std::uniform_real_distribution<double> value(-50, 50);
  for (std::size_t k = 0; k < nx * ny; ++k) map.z.push_back(value(random));
  return map;
}

TEST(MapPixels, UnevenCellsWithNonFiniteValues) {
  std::mt19937 random(1);
  test_map map = random_map(7, 5, random);
  map.z[5] = nan;
  map.z[8] = inf;
  map.z[13] = -inf;
  expect_same_picture<double>(map, world_of(map));
  expect_same_picture<float>(map, world_of(map));
}

TEST(MapPixels, CellsReachingPastTheViewAndAClipOfTheirOwn) {
  std::mt19937 random(2);
  const test_map map = random_map(40, 30, random);
  const world_window inner = world_of(map);
  // A view of the middle of the map: cells beyond it are cut or left out.
  const world_window zoomed{true, inner.x1 + 3, inner.y1 + 2, inner.x1 + 9, inner.y1 + 8};
  expect_same_picture<double>(map, zoomed);
  expect_same_picture<float>(map, zoomed, {100, 50, 300, 200});
}

TEST(MapPixels, ManyCellsPerPixel) {
  std::mt19937 random(3);
  test_map map = random_map(3000, 2000, random);
  map.z[12345] = nan;
  expect_same_picture<float>(map, world_of(map));
}

TEST(MapPixels, ReversedAndUnorderedCoordinates) {
  std::mt19937 random(4);
  test_map map = random_map(300, 200, random);
  std::reverse(map.x.begin(), map.x.end());
  std::reverse(map.y.begin(), map.y.end());
  expect_same_picture<double>(map, world_of(map));
  // Cells of unordered coordinates overlap in every way.
  std::shuffle(map.x.begin(), map.x.end(), random);
  std::shuffle(map.y.begin(), map.y.end(), random);
  expect_same_picture<double>(map, world_of(map));
}

TEST(MapPixels, EdgesWithoutPixelsLeaveTheirCellsOut) {
  test_map map{{0, 1, nan, 3}, {0, 1, 2}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}};
  expect_same_picture<double>(map, {true, 0, 0, 4, 2});
  // A world window without width: no cell has a pixel.
  expect_same_picture<double>(map, {true, 1, 0, 1, 2});
  // Cells left out between drawn ones leave their pixels as they were.
  map = {{0, 1, nan, 3, 4, 5}, {0, 1, 2}, {}};
  for (int k = 0; k < 18; ++k) map.z.push_back(k % 7);
  expect_same_picture<double>(map, {true, 0, 0, 6, 2});
}

TEST(MapPixels, LogarithmicScaleAndARangeBeyondTheDoubles) {
  test_map map{{0, 1, 2, 3}, {0, 1}, {0, -1, 1, 100, 1e-30, 7, 1e30, 3}, true};
  expect_same_picture<double>(map, world_of(map));
  expect_same_picture<float>(map, world_of(map));
  map = {{0, 1, 2}, {0, 1}, {-1e308, 0, 1e308, -1e308, 5e307, 1e308}};
  expect_same_picture<double>(map, world_of(map));
}

// screen_map into a real canvas: the map square is the cell-by-cell picture.
TEST(MapPixels, ScreenMapDrawsTheCellByCellPictureIntoARealCanvas) {
  testing::ensure_qt_application();
  std::mt19937 random(5);
  test_map map = random_map(3000, 2000, random);
  std::reverse(map.x.begin(), map.x.end());
  map.z[7] = nan;
  map.z[4000] = inf;
  map.z[5000] = -inf;
  const std::vector<float> x(map.x.begin(), map.x.end()), y(map.y.begin(), map.y.end()),
      z(map.z.begin(), map.z.end());

  qt_window_system windows(display_mode::off_screen);
  install_window_system(&windows);
  std::thread program([&] {
    screen_map(x, y, grid_view<float>{z.data(), 3000, 2000}, {.ownwindow = true});
  });
  program.join();
  install_window_system(nullptr);
  const std::vector<int> numbers = windows.window_numbers();
  const QImage picture = windows.presented_image(numbers.back());
  ASSERT_EQ(picture.size(), QSize(581, 271));

  // The expected picture: the presented one with its map square repainted
  // in the background and the cells filled one by one over it.
  reference_raster expected(picture.width(), picture.height(), 0);
  for (int row = 0; row < picture.height(); ++row)
    for (int column = 0; column < picture.width(); ++column)
      expected.pixels[row * picture.width() + column] =
          row >= 4 && row <= 267 && column >= 4 && column <= 267 ? 0xff000080u
                                                                 : picture.pixel(column, row);
  const test_map widened{{x.begin(), x.end()}, {y.begin(), y.end()}, {}};
  expected.fill_cells(widened.x, widened.y, z, false, small_viewport, world_of(widened),
                      small_viewport);
  int differing = 0;
  for (int row = 0; row < picture.height(); ++row)
    for (int column = 0; column < picture.width(); ++column)
      differing += picture.pixel(column, row) != expected.pixels[row * picture.width() + column];
  EXPECT_EQ(differing, 0);
}

}  // namespace
}  // namespace mapplot
