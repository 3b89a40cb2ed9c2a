// The Qt-free pieces: palette, world-to-pixel transform, font option text.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/font_option.hpp"
#include "platform/palette.hpp"
#include "platform/window_placement.hpp"
#include "platform/world_transform.hpp"

namespace mapplot {
namespace {

constexpr double not_a_number = std::numeric_limits<double>::quiet_NaN();
constexpr double infinity = std::numeric_limits<double>::infinity();

TEST(Palette, EntriesTheMapReliesOnAndTheClassicRest) {
  EXPECT_EQ(default_palette_color(0), (rgb_color{0, 0, 0}));
  EXPECT_EQ(default_palette_color(1), (rgb_color{0, 0, 128}));
  EXPECT_EQ(default_palette_color(5), (rgb_color{128, 0, 128}));
  EXPECT_EQ(default_palette_color(7), (rgb_color{192, 192, 192}));
  EXPECT_EQ(default_palette_color(8), (rgb_color{128, 128, 128}));
  EXPECT_EQ(default_palette_color(12), (rgb_color{255, 0, 0}));
  EXPECT_EQ(default_palette_color(15), (rgb_color{255, 255, 255}));
}

TEST(Palette, IndicesOutsideTheTableWrapInsteadOfReadingPastIt) {
  EXPECT_EQ(default_palette_color(16), default_palette_color(0));
  EXPECT_EQ(default_palette_color(21), default_palette_color(5));
  EXPECT_EQ(default_palette_color(-1), default_palette_color(15));
  EXPECT_EQ(default_palette_color(std::numeric_limits<int>::min()), default_palette_color(0));
  EXPECT_EQ(clamped_rgb(-5, 300, 128), (rgb_color{0, 255, 128}));
}

constexpr pixel_rectangle viewport{4, 4, 577, 267};  // the 580 x 270 layout

TEST(WorldTransform, WorldEdgesLandOnTheViewportsEdgePixels) {
  const world_window upwards{true, -1.0, -2.0, 3.0, 2.0};
  EXPECT_EQ(world_to_pixel(viewport, upwards, -1.0, -2.0), (pixel_point{4, 267}));
  EXPECT_EQ(world_to_pixel(viewport, upwards, 3.0, 2.0), (pixel_point{577, 4}));
  EXPECT_EQ(world_to_pixel(viewport, upwards, 1.0, 0.0), (pixel_point{291, 136}));

  const world_window downwards{false, -1.0, -2.0, 3.0, 2.0};
  EXPECT_EQ(world_to_pixel(viewport, downwards, -1.0, -2.0), (pixel_point{4, 4}));
  EXPECT_EQ(world_to_pixel(viewport, downwards, 3.0, 2.0), (pixel_point{577, 267}));
}

TEST(WorldTransform, RectanglesAreRoundedToPixelsAndClippedToTheViewport) {
  const pixel_rectangle small{10, 10, 19, 19};
  const world_window unit{true, 0.0, 0.0, 1.0, 1.0};
  // 0.26 of 9 steps is 2.34 -> 2, 0.74 is 6.66 -> 7; y upwards flips the rows.
  EXPECT_EQ(world_rectangle_to_pixels(small, unit, 0.26, 0.26, 0.74, 0.74),
            (pixel_rectangle{12, 12, 17, 17}));
  EXPECT_EQ(world_rectangle_to_pixels(small, unit, 0.0, 0.0, 0.5, 0.1),
            (pixel_rectangle{10, 18, 15, 19}));
  EXPECT_EQ(world_rectangle_to_pixels(small, unit, -5.0, -5.0, 0.5, 0.5),
            (pixel_rectangle{10, 15, 15, 19}));
  EXPECT_EQ(world_rectangle_to_pixels(small, unit, 2.0, 2.0, 3.0, 3.0), std::nullopt);
  // Corners given in either order.
  EXPECT_EQ(world_rectangle_to_pixels(small, unit, 0.74, 0.74, 0.26, 0.26),
            (pixel_rectangle{12, 12, 17, 17}));
  // Far beyond any canvas, still no integer overflow.
  EXPECT_EQ(world_rectangle_to_pixels(small, unit, -1e300, -1e300, 1e300, 1e300), small);
}

TEST(WorldTransform, DegenerateWindowsAndNonFiniteCoordinatesGiveNoPixels) {
  const world_window flat{true, 2.0, 0.0, 2.0, 1.0};
  EXPECT_EQ(world_to_pixel(viewport, flat, 2.0, 0.5), std::nullopt);
  const world_window tiny{true, 0.0, 0.0, 1e-300, 1.0};
  EXPECT_EQ(world_to_pixel(viewport, tiny, 1e300, 0.5), std::nullopt);
  const world_window unbounded{true, -infinity, 0.0, 1.0, 1.0};
  EXPECT_EQ(world_to_pixel(viewport, unbounded, 0.0, 0.5), std::nullopt);
  const world_window unit{true, 0.0, 0.0, 1.0, 1.0};
  EXPECT_EQ(world_to_pixel(viewport, unit, not_a_number, 0.5), std::nullopt);
  EXPECT_EQ(world_to_pixel(viewport, unit, 0.5, infinity), std::nullopt);
  EXPECT_EQ(world_rectangle_to_pixels(viewport, unit, 0.0, 0.0, not_a_number, 1.0), std::nullopt);
}

// A grid's edges are converted one direction at a time; that must give the
// very pixels of a point conversion, halves included.
TEST(WorldTransform, ColumnsAndRowsAreTheTwoHalvesOfAPoint) {
  for (const world_window& world :
       {world_window{true, -1.0, -2.0, 3.0, 2.0}, world_window{false, 0.1, 0.0, 0.7, 3.0}}) {
    for (double t = -0.25; t <= 1.25; t += 1.0 / 1146) {
      const double x = world.x1 + t * (world.x2 - world.x1);
      const double y = world.y1 + (1 - t) * (world.y2 - world.y1);
      const auto point = world_to_pixel(viewport, world, x, y);
      ASSERT_TRUE(point.has_value());
      EXPECT_EQ(world_to_pixel_column(viewport, world, x), point->x) << x;
      EXPECT_EQ(world_to_pixel_row(viewport, world, y), point->y) << y;
    }
  }
  const world_window flat{true, 2.0, 0.0, 2.0, 1.0};
  EXPECT_EQ(world_to_pixel_column(viewport, flat, 2.0), std::nullopt);
  EXPECT_EQ(world_to_pixel_row(viewport, flat, not_a_number), std::nullopt);
  EXPECT_EQ(world_to_pixel_row(viewport, flat, 0.5), 136);
}

TEST(WorldTransform, ViewportRelativeCornersSaturateInsteadOfOverflowing) {
  const pixel_rectangle origin{4, 4, 100, 100};
  EXPECT_EQ(viewport_relative_to_window(origin, 0, 0, 9, 4), (pixel_rectangle{4, 4, 13, 8}));
  const auto far = viewport_relative_to_window(origin, std::numeric_limits<int>::max(), 0,
                                               std::numeric_limits<int>::min(), 0);
  EXPECT_GT(far.left, 0);
  EXPECT_LT(far.right, 0);
  EXPECT_EQ(clipped(far, origin), (pixel_rectangle{4, 4, 100, 4}));
}

screen_area outer(const screen_area& placed, const decoration& around) {
  return {placed.left, placed.top, placed.width + around.left + around.right,
          placed.height + around.top + around.bottom};
}

bool inside(const screen_area& area, const screen_area& available) {
  return area.left >= available.left && area.top >= available.top &&
         area.right() <= available.right() && area.bottom() <= available.bottom();
}

// The frame window as built (82 columns, 25 rows) and the zoom's window.
constexpr int frame_width = 726, frame_height = 477, narrowest_frame = 384;
constexpr int map_width = 581, map_height = 271;

TEST(WindowPlacement, OnA1280By1024ScreenNoWindowCoversAnother) {
  const screen_area screen{0, 0, 1280, 1024};
  for (const decoration around : {decoration{}, decoration{1, 24, 1, 6}, decoration{4, 30, 4, 8}}) {
    const screen_area frame = outer(
        frame_window_area(screen, frame_width, frame_height, narrowest_frame, map_width, around),
        around);
    EXPECT_TRUE(inside(frame, screen));
    EXPECT_EQ(frame.left, 0);
    EXPECT_EQ(frame.top, 0);
    EXPECT_GE(frame.width - around.left - around.right, narrowest_frame);
    std::vector<screen_area> maps;
    for (int number = 101; number <= 104; ++number) {
      maps.push_back(outer(
          graphics_window_area(screen, frame, number, map_width, map_height, around), around));
      EXPECT_TRUE(inside(maps.back(), screen)) << number;
      EXPECT_FALSE(overlapping(maps.back(), frame)) << number;
      EXPECT_GE(maps.back().left, frame.right()) << number;
    }
    // Each further window one cascade step lower, so that its title shows.
    for (std::size_t i = 1; i < maps.size(); ++i) {
      EXPECT_EQ(maps[i].top, maps[i - 1].top + cascade_step);
    }
  }
}

TEST(WindowPlacement, OnASmallScreenEveryWindowStaysInside) {
  const decoration around{2, 24, 2, 4};
  const screen_area screen{0, 30, 800, 570};  // a panel along the top
  const screen_area frame = outer(
      frame_window_area(screen, frame_width, 700, narrowest_frame, map_width, around), around);
  EXPECT_TRUE(inside(frame, screen)) << "the input line would be off screen";
  EXPECT_EQ(frame.top, 30);
  for (int number : {100, 101, 102, 150}) {
    const screen_area map =
        outer(graphics_window_area(screen, frame, number, map_width, map_height, around), around);
    EXPECT_TRUE(inside(map, screen)) << number;
  }
  // Larger than the room beside the frame window: moved in, not cut off.
  const screen_area large =
      outer(graphics_window_area(screen, frame, 101, 1005, 662, around), around);
  EXPECT_EQ(large.left, screen.left);
  EXPECT_EQ(large.top, screen.top);
}

// More windows than fit below one another: the cascade starts again at the
// top, every window whole on screen and its title clear of the one above.
TEST(WindowPlacement, MoreWindowsThanFitStartTheCascadeAgainAtTheTop) {
  const decoration around{1, 24, 1, 6};
  const screen_area screen{0, 0, 1280, 1024};
  const screen_area frame = outer(
      frame_window_area(screen, frame_width, frame_height, narrowest_frame, map_width, around),
      around);
  const int outer_map_height = map_height + around.top + around.bottom;
  const int fitting = (screen.height - outer_map_height) / cascade_step + 1;
  std::vector<screen_area> maps;
  for (int number = 101; number < 101 + 2 * fitting + 1; ++number) {
    maps.push_back(
        outer(graphics_window_area(screen, frame, number, map_width, map_height, around), around));
    EXPECT_TRUE(inside(maps.back(), screen)) << number;
    EXPECT_FALSE(overlapping(maps.back(), frame)) << number;
  }
  for (int slot = 1; slot < static_cast<int>(maps.size()); ++slot) {
    const screen_area& above = maps[slot - 1];
    if (slot % fitting == 0) {
      EXPECT_EQ(maps[slot].top, screen.top) << "window " << 101 + slot << " does not start again";
      EXPECT_EQ(maps[slot].left, maps[0].left);
    } else {
      EXPECT_EQ(maps[slot].top, above.top + cascade_step) << 101 + slot;
    }
  }
  EXPECT_EQ(maps[fitting - 1].top, (fitting - 1) * cascade_step);
}

// A screen narrower than even the narrowest frame window: the frame window
// takes the whole width, no more, so that its input line stays on screen, and
// a graphics window is moved in over it rather than off the screen.
TEST(WindowPlacement, AScreenNarrowerThanTheFrameWindowKeepsEveryWindowOnIt) {
  for (const decoration around : {decoration{}, decoration{3, 20, 3, 5}}) {
    const screen_area screen{10, 0, 300, 400};
    const screen_area frame = outer(
        frame_window_area(screen, frame_width, frame_height, narrowest_frame, map_width, around),
        around);
    EXPECT_TRUE(inside(frame, screen)) << frame.width << "x" << frame.height;
    EXPECT_EQ(frame.width, screen.width);
    EXPECT_EQ(frame.height, screen.height);
    const screen_area map =
        outer(graphics_window_area(screen, frame, 101, 200, 100, around), around);
    EXPECT_TRUE(inside(map, screen)) << map.left << "," << map.top;
    // Wider than the screen: its corner stays on the screen, title bar and all.
    const screen_area wide =
        outer(graphics_window_area(screen, frame, 102, map_width, map_height, around), around);
    EXPECT_EQ(wide.left, screen.left);
    EXPECT_GE(wide.top, screen.top);
  }
}

TEST(FontOption, ReadsFaceHeightAndWidth) {
  EXPECT_EQ(parse_font_option("t'modern'h14w9"), (font_choice{"modern", 14, 9}));
  EXPECT_EQ(parse_font_option("t'Terminal'h12w8"), (font_choice{"Terminal", 12, 8}));
  EXPECT_EQ(parse_font_option("t'Courier New'h20w10"), (font_choice{"Courier New", 20, 10}));
  EXPECT_EQ(terminal_font(), (font_choice{"Terminal", 12, 8}));
}

TEST(FontOption, MalformedTextIsRejected) {
  for (const char* text :
       {"", "t", "t'", "t'modern", "t'modern'", "t''h14w9", "modern'h14w9", "t'modern'h14",
        "t'modern'w9h14", "t'modern'h14w9x", "t'modern'hw9", "t'modern'h-3w9", "t'modern'h0w9",
        "t'modern'h14w100000", "t'modern'h99999999999999999999w9"}) {
    EXPECT_EQ(parse_font_option(text), std::nullopt) << text;
  }
}

}  // namespace
}  // namespace mapplot
