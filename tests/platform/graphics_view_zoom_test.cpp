// A graphics window's own view of the map its frame shows, driven by real Qt
// events on the offscreen platform: the values under the cursor, the wheel's
// zoom drawn again from the values (checked against a raster computed here),
// panning, Home, the help overlay, and frames that the user's view never
// touches.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <cmath>
#include <memory>
#include <set>
#include <string>
#include <thread>

#include "platform/viewing/map_viewing.hpp"
#include "platform/qt/graphics_view.hpp"
#include "platform/qt/qt_window_system.hpp"
#include "platform/qt/window_canvases.hpp"
#include "qt_application.hpp"

namespace mapplot {
namespace {

// 8 × 6 cells of 20 × 20 pixels: cell (c, r) is centred on world (c, r) and
// holds c + 10 r (plus `offset`), y upwards.
constexpr int columns = 8, rows = 6, cell_pixels = 20, left = 4, top = 4;
constexpr int right = left + columns * cell_pixels - 1, bottom = top + rows * cell_pixels - 1;

std::shared_ptr<const map_data> known_map(double offset) {
  auto map = std::make_shared<map_data>();
  for (int c = 0; c < columns; ++c) map->x.push_back(c);
  for (int r = 0; r < rows; ++r) map->y.push_back(r);
  map_values<double> values;
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < columns; ++c) values.push_back(c + 10 * r + offset);
  map->values = std::move(values);
  map->zmin = offset;
  map->zmax = offset + columns - 1 + 10 * (rows - 1);
  return map;
}

// Presents the map as a program's thread does, with a white mark to its
// right standing for the legend.
void present_map(qt_window_system& system, std::shared_ptr<const map_data> map) {
  std::thread program([&] {
    system.open_graphics_window(101, "Viewed");
    system.focus_graphics_window(101);
    system.clear_window();
    system.set_viewport(left, top, right, bottom);
    system.set_world_window(true, -0.5, -0.5, columns - 0.5, rows - 0.5);
    system.draw_map(std::move(map));
    system.set_viewport(0, 0, 259, 239);
    system.set_world_window(false, 0, 0, 259, 239);
    system.set_color_index(7);
    system.draw_rectangle(rectangle_style::filled, 200, 10, 240, 200);
    system.present_unpresented();
  });
  program.join();
}

QPointF centre_of_cell(double c, double r) {
  return {left + (c + 0.5) * cell_pixels, bottom + 1 - (r + 0.5) * cell_pixels};
}

void move_to(QWidget& view, QPointF where) {
  QMouseEvent move(QEvent::MouseMove, where, view.mapToGlobal(where), Qt::NoButton, Qt::NoButton,
                   Qt::NoModifier);
  QApplication::sendEvent(&view, &move);
}

void wheel_at(QWidget& view, QPointF where, int notches) {
  QWheelEvent wheel(where, view.mapToGlobal(where), {}, {0, 120 * notches}, Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(&view, &wheel);
}

void press_key(QWidget& view, int key) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
  QApplication::sendEvent(&view, &press);
}

QImage shown_on_screen(graphics_view& view) {
  return view.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// The part of the window the program's picture fills, above the strip.
QImage on_the_picture(graphics_view& view) {
  const QImage shown = shown_on_screen(view);
  return shown.copy(0, 0, shown.width(), shown.height() - view.strip_height());
}

class GraphicsViewReadoutAndZoom : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testing::ensure_qt_application(); }
  void SetUp() override {
    present_map(system, known_map(0));
    view = std::make_unique<graphics_view>(*system.canvases().find(101));
    view->sync_with_canvas();
    view->show();
  }
  qt_window_system system{display_mode::off_screen};
  std::unique_ptr<graphics_view> view;
};

TEST_F(GraphicsViewReadoutAndZoom, HoverNamesTheCellDrawnThereAndThePoint) {
  move_to(*view, centre_of_cell(2, 1));
  const QStringList lines = view->status_lines();
  ASSERT_EQ(lines.size(), 4) << lines.join('|').toStdString();
  EXPECT_EQ(lines[0], QStringLiteral("x -0.5 .. 7.5   y -0.5 .. 5.5"));
  EXPECT_TRUE(lines[1].startsWith(QStringLiteral("at x = 2.01"))) << lines[1].toStdString();
  EXPECT_TRUE(lines[1].contains(QStringLiteral("y = 0.96"))) << lines[1].toStdString();
  EXPECT_EQ(lines[2], QStringLiteral("cell 2, 1   x = 2   y = 1   value = 12"));
  // Outside the map's cells (the legend's side) nothing is read out.
  move_to(*view, {230, 20});
  EXPECT_TRUE(view->status_lines()[1].isEmpty());
  EXPECT_TRUE(view->status_lines()[2].isEmpty());
}

TEST_F(GraphicsViewReadoutAndZoom, UnderALogarithmicScaleTheValueComesWithItsLogarithm) {
  auto logarithmic = std::make_shared<map_data>(*known_map(1));
  logarithmic->logscale = true;
  logarithmic->zmin = 0;
  logarithmic->zmax = std::log10(logarithmic->zmax);
  present_map(system, logarithmic);
  view->sync_with_canvas();
  move_to(*view, centre_of_cell(2, 1));
  EXPECT_EQ(view->status_lines()[2],
            QStringLiteral("cell 2, 1   x = 2   y = 1   value = 13   log = 1.1139433523068367"));
}

TEST_F(GraphicsViewReadoutAndZoom, TheWheelDrawsTheZoomFromTheValuesAndHomeRestoresEveryPixel) {
  const QImage program_picture = system.presented_image(101);
  EXPECT_EQ(shown_on_screen(*view).size(), program_picture.size() + QSize(0, view->strip_height()))
      << "the strip has room of its own under the picture";
  EXPECT_EQ(on_the_picture(*view), program_picture) << "unzoomed, the window is the frame";

  // Two notches around the middle of the map: 1.5625 times closer.
  const QPointF middle(left + columns * cell_pixels / 2.0, top + rows * cell_pixels / 2.0);
  wheel_at(*view, middle, 2);
  const QImage zoomed = view->shown_picture();
  ASSERT_EQ(zoomed.size(), program_picture.size());
  EXPECT_EQ(system.presented_image(101), program_picture) << "the user's zoom reached the frame";

  // The world point under the middle stays; the span shrinks by the factor.
  const double factor = 1.5625;
  const auto across = [](double px) { return (px - left) / double(right - left); };
  const auto up = [](double py) { return (bottom - py) / double(bottom - top); };
  const double fixed_x = -0.5 + columns * across(middle.x());
  const double fixed_y = -0.5 + rows * up(middle.y());
  int compared = 0, differing = 0;
  // Cells end at the outermost coordinates, half a cell inside the world
  // window: the zoom is drawn within the pixels the program's map covered.
  const int covered_left = left + cell_pixels / 2 + 2, covered_right = right - cell_pixels / 2 - 2;
  const int covered_top = top + cell_pixels / 2 + 2, covered_bottom = bottom - cell_pixels / 2 - 2;
  for (int py = covered_top; py <= covered_bottom; ++py) {
    for (int px = covered_left; px <= covered_right; ++px) {
      const double wx = fixed_x + (across(px) - across(middle.x())) * columns / factor;
      const double wy = fixed_y + (up(py) - up(middle.y())) * rows / factor;
      // Pixels next to a cell's edge (a half-integer) may go either way.
      const double edge_margin = 1.5 * columns / factor / (right - left);
      const auto near_edge = [&](double w) {
        return std::fabs(w - std::floor(w) - 0.5) < edge_margin;
      };
      if (near_edge(wx) || near_edge(wy)) continue;
      const double value = std::round(wx) + 10 * std::round(wy);
      const int grey = static_cast<int>(std::lround(value * 255 / 57));
      ++compared;
      if (zoomed.pixel(px, py) != qRgb(grey, grey, grey)) {
        if (differing++ < 5)
          ADD_FAILURE() << px << "," << py << " world " << wx << "," << wy << " want " << grey
                        << " got " << qGray(zoomed.pixel(px, py));
      }
    }
  }
  EXPECT_GT(compared, (covered_right - covered_left) * (covered_bottom - covered_top) / 2);
  EXPECT_EQ(differing, 0) << "of " << compared << " pixels compared";
  // The legend's side stays as the program drew it.
  EXPECT_EQ(zoomed.copy(170, 0, 90, 240), program_picture.copy(170, 0, 90, 240));
  EXPECT_EQ(shown_on_screen(*view).copy(0, 0, 260, 160), zoomed.copy(0, 0, 260, 160))
      << "the window does not show the zoomed picture";
  EXPECT_TRUE(view->status_lines().first().startsWith(QStringLiteral("shown: x ")));

  press_key(*view, Qt::Key_Home);
  EXPECT_EQ(view->shown_picture(), program_picture);
  EXPECT_EQ(on_the_picture(*view), program_picture);
}

// Zooming in stops at a millionth of the whole map and out at 1000 times it,
// saying so; from either limit the other way is open.
TEST(MapViewZoom, ZoomStopsAtAMillionthAndAtAThousandTimesTheWholeMap) {
  const auto map =
      viewed_values(known_map(0), plane_view{-0.5, -0.5, columns - 0.5, rows - 0.5});
  const pixel_rectangle viewport{left, top, right, bottom};
  map_viewing viewing = viewing_of(*map);
  const auto share = [&] {
    return (viewing.view.x2 - viewing.view.x1) / (viewing.whole.x2 - viewing.whole.x1);
  };
  for (int notch = 0; notch < 200; ++notch) zoom_around(viewing, *map, viewport, {50, 60}, 1);
  EXPECT_GE(share(), 1e-6L);
  EXPECT_LT(share(), 1.25e-6L);
  EXPECT_NE(viewing.stop.find("a millionth"), std::string::npos) << viewing.stop;
  reset_view(viewing);
  for (int notch = 0; notch < 240; ++notch) zoom_around(viewing, *map, viewport, {50, 60}, -1);
  EXPECT_LE(share(), 1000);
  EXPECT_GT(share(), 1000 / 1.25L);
  EXPECT_NE(viewing.stop.find("1000 times"), std::string::npos) << viewing.stop;
  zoom_around(viewing, *map, viewport, {50, 60}, 1);
  EXPECT_TRUE(viewing.stop.empty());
}

// Deep in a zoom the cells are a few float steps wide: every pixel column
// still reads its own x, and the ranges tell their ends apart.
TEST(MapViewReadout, NeighbouringPixelsReadApartDeepInAZoom) {
  auto map = std::make_shared<map_data>();
  for (int c = 0; c < columns; ++c) map->x.push_back(1.3002425 + c * 2.4e-8);
  for (int r = 0; r < rows; ++r) map->y.push_back(-0.6248106 + r * 2.4e-8);
  map->values = map_values<float>(columns * rows, 15.0f);
  map->zmin = 15;
  map->zmax = 16;
  const pixel_rectangle viewport{left, top, right, bottom};
  const auto viewed = viewed_values(map);
  const map_viewing viewing = viewing_of(*viewed);
  std::set<std::string> points;
  for (int x = left; x <= right; ++x)
    points.insert(viewed->reading_at(viewing.view, viewport, {x, 50}).point);
  EXPECT_EQ(points.size(), static_cast<std::size_t>(right - left + 1));
  const std::string ranges = strip_lines(viewing, viewed.get(), viewport)[0];
  EXPECT_EQ(ranges.rfind("x 1.3002425 .. 1.30024266", 0), 0u) << ranges;
  // The cell's own coordinates and value as the caller's floats write them.
  EXPECT_EQ(viewed->reading_at(viewing.view, viewport, {left + 1, bottom - 1}).cell,
            "cell 0, 0   x = 1.3002425   y = -0.6248106   value = 15");
}

TEST_F(GraphicsViewReadoutAndZoom, DraggingPansAndTheViewHoldsAcrossFrames) {
  const QImage first_frame = system.presented_image(101);
  wheel_at(*view, centre_of_cell(2, 2), 4);
  const QImage zoomed = view->shown_picture();
  // Dragging left by two cells' worth of pixels on screen shows the cells
  // further right.
  const QPointF from = centre_of_cell(2, 2);
  QMouseEvent press(QEvent::MouseButtonPress, from, view->mapToGlobal(from), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(view.get(), &press);
  const QPointF to = from - QPointF(40, 0);
  QMouseEvent drag(QEvent::MouseMove, to, view->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                   Qt::NoModifier);
  QApplication::sendEvent(view.get(), &drag);
  QMouseEvent release(QEvent::MouseButtonRelease, to, view->mapToGlobal(to), Qt::LeftButton,
                      Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(view.get(), &release);
  EXPECT_NE(view->shown_picture(), zoomed);
  // The cell that was under the pointer came along with it.
  EXPECT_TRUE(view->status_lines()[2].endsWith(QStringLiteral("value = 22")))
      << view->status_lines()[2].toStdString();

  // The next frame, same world, other values: shown through the same view.
  present_map(system, known_map(100));
  const QImage second_frame = system.presented_image(101);
  EXPECT_EQ(second_frame, first_frame) << "the same greys, as the scale moved with the values";
  move_to(*view, to);
  EXPECT_TRUE(view->status_lines()[2].endsWith(QStringLiteral("value = 122")))
      << view->status_lines()[2].toStdString();
  EXPECT_NE(view->shown_picture(), second_frame);

  QMouseEvent twice(QEvent::MouseButtonDblClick, to, view->mapToGlobal(to), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(view.get(), &twice);
  EXPECT_EQ(view->shown_picture(), second_frame);
}

TEST_F(GraphicsViewReadoutAndZoom, HelpListsTheKeysUntilAnyKeyAndPauseAndPaceAreSaid) {
  const QImage program_picture = system.presented_image(101);
  press_key(*view, Qt::Key_F1);
  EXPECT_TRUE(view->help_shown());
  EXPECT_NE(shown_on_screen(*view), program_picture);
  press_key(*view, Qt::Key_Space);  // only hides the list
  EXPECT_FALSE(view->help_shown());
  press_key(*view, Qt::Key_Question);
  EXPECT_TRUE(view->help_shown());
  press_key(*view, Qt::Key_A);
  EXPECT_FALSE(view->help_shown());
  EXPECT_EQ(on_the_picture(*view), program_picture);

  // The strip's lines, zoomed and hovering, with a notice and paused: all
  // under the picture, none over it.
  const QImage plain = shown_on_screen(*view);
  wheel_at(*view, centre_of_cell(2, 2), 1);
  press_key(*view, Qt::Key_Home);
  move_to(*view, centre_of_cell(3, 3));
  view->set_paused(true);
  view->show_notice(QStringLiteral("pace: 30 frames/s"));
  EXPECT_EQ(view->status_lines()[3], QStringLiteral("pace: 30 frames/s   paused"));
  const QImage with_words = shown_on_screen(*view);
  EXPECT_NE(with_words, plain);
  EXPECT_EQ(on_the_picture(*view), program_picture) << "the strip covers the picture";
}

}  // namespace
}  // namespace mapplot
