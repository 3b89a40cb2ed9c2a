// The batch of cells the screen map hands the windowing layer: the same
// pixels, cell for cell, as filling each cell's world rectangle on its own.
#include "screenmap/map_cells.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <thread>
#include <vector>

#include "platform/qt/qt_window_system.hpp"
#include "screenmap/cell_edges.hpp"
#include "screenmap/grey_levels.hpp"

namespace mapplot {
namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr pixel_rectangle viewport{4, 4, 577, 267};  // the 580 x 270 layout

struct uneven_map {
  // Uneven spacing, so that edges fall anywhere between pixels.
  std::vector<double> x{-1, -0.3, 0.2, 0.21, 0.9, 1.7, 2.5};
  std::vector<double> y{3, 3.1, 3.35, 4.4, 5};
  std::vector<double> levels;
  uneven_map() {
    for (std::size_t k = 0; k < x.size() * y.size(); ++k)
      levels.push_back(std::fmod(k * 37.3, 255));
    levels[5] = nan;
  }
};

TEST(MapCells, AreEachCellsWorldRectangleInPixelsInDrawingOrder) {
  const uneven_map map;
  // A world window narrower than the data: some cells reach past the viewport.
  const world_window world{true, -0.5, 3.2, 2.0, 4.8};
  std::vector<pixel_cell> cells;
  make_map_cells(map.x, map.y, map.levels, viewport, world, cells);

  const cell_edges columns = make_cell_edges(map.x);
  const cell_edges rows = make_cell_edges(map.y);
  std::vector<pixel_cell> expected;
  std::size_t k = 0;
  for (std::size_t j = 0; j < map.y.size(); ++j) {
    for (std::size_t i = 0; i < map.x.size(); ++i, ++k) {
      const auto area = world_rectangle_corners(viewport, world, columns.lower(i), rows.lower(j),
                                                columns.upper[i], rows.upper[j]);
      ASSERT_TRUE(area.has_value());
      const cell_rgb grey = cell_color(map.levels[k]);
      expected.push_back({*area, clamped_rgb(grey.red, grey.green, grey.blue)});
    }
  }
  EXPECT_EQ(cells, expected);
}

TEST(MapCells, ACellWithAnEdgeThatHasNoPixelIsLeftOut) {
  const std::vector<double> x{0, 1, nan, 3}, y{0, 1}, levels{0, 1, 2, 3, 4, 5, 6, 7};
  std::vector<pixel_cell> cells;
  make_map_cells(x, y, levels, viewport, {true, 0.0, 0.0, 4.0, 1.0}, cells);
  // Every edge next to the NaN is NaN: only the first column keeps its cells.
  ASSERT_EQ(cells.size(), 2u);
  EXPECT_EQ(cells[0].color, (rgb_color{0, 0, 0}));
  EXPECT_EQ(cells[1].color, (rgb_color{4, 4, 4}));
  EXPECT_EQ(cells[0].area, (pixel_rectangle{4, 136, 76, 267}));  // x = 0.5 at 75.625
}

// Draws `drawing` into a fresh off-screen window 1 and returns what it presents.
template <class Drawing>
QImage presented_picture_of(Drawing&& drawing) {
  qt_window_system windows(display_mode::off_screen);
  std::thread program([&] {
    windows.open_graphics_window(1, "cells");
    windows.set_viewport(viewport.left, viewport.top, viewport.right, viewport.bottom);
    drawing(windows);
    windows.present_frame();
  });
  program.join();
  return windows.presented_image(1);
}

TEST(MapCells, FillTheCanvasExactlyAsOneWorldRectanglePerCellDid) {
  const uneven_map map;
  const world_window world{true, -0.5, 3.2, 2.0, 4.8};
  const QImage batch = presented_picture_of([&](qt_window_system& windows) {
    windows.set_world_window(world.y_upwards, world.x1, world.y1, world.x2, world.y2);
    std::vector<pixel_cell> cells;
    make_map_cells(map.x, map.y, map.levels, viewport, world, cells);
    windows.fill_cells(cells);
  });
  const QImage one_by_one = presented_picture_of([&](qt_window_system& windows) {
    windows.set_world_window(world.y_upwards, world.x1, world.y1, world.x2, world.y2);
    const cell_edges columns = make_cell_edges(map.x);
    const cell_edges rows = make_cell_edges(map.y);
    std::size_t k = 0;
    for (std::size_t j = 0; j < map.y.size(); ++j) {
      for (std::size_t i = 0; i < map.x.size(); ++i, ++k) {
        const cell_rgb grey = cell_color(map.levels[k]);
        windows.set_color_rgb(grey.red, grey.green, grey.blue);
        windows.draw_rectangle_world(rectangle_style::filled, columns.lower(i), rows.lower(j),
                                     columns.upper[i], rows.upper[j]);
      }
    }
  });
  ASSERT_FALSE(batch.isNull());
  EXPECT_EQ(batch.size(), one_by_one.size());
  EXPECT_TRUE(batch == one_by_one) << "the batch fills other pixels";
}

}  // namespace
}  // namespace mapplot
