// map_widget off screen: its grabbed pixels against the map filled cell by
// cell from the data, for the whole map, a zoom of the wheel, a drag, Home,
// and the readout of the value under the cursor.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <charconv>
#include <mapplot/map_widget.hpp>
#include <random>
#include <string>
#include <vector>

#include "cell_by_cell_raster.hpp"
#include "platform/viewing/map_viewing.hpp"
#include "platform/map_view.hpp"
#include "platform/qt_application.hpp"
#include "screenmap/map_widget_layout.hpp"

namespace mapplot {
namespace {

using testing::reference_raster;

std::string shortest(double value) {
  char text[40];
  return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

map_view double_view(const plane_view& view) {
  return {static_cast<double>(view.x1), static_cast<double>(view.y1), static_cast<double>(view.x2),
          static_cast<double>(view.y2)};
}

struct field {
  std::vector<double> x, y, z;
};

field uneven_field(std::size_t nx, std::size_t ny) {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> step(0.01, 1.0), value(-3, 3);
  field f;
  for (double at = -2; f.x.size() < nx; at += step(random)) f.x.push_back(at);
  for (double at = 10; f.y.size() < ny; at += step(random)) f.y.push_back(at);
  for (std::size_t k = 0; k < nx * ny; ++k) f.z.push_back(value(random));
  f.z[17] = std::numeric_limits<double>::quiet_NaN();
  return f;
}

class MapWidget : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testing::ensure_qt_application(); }

  void SetUp() override {
    widget.resize(520, 380);
    widget.set_map(data.x, data.y, data.z, {.title = "Field"});
    const QFontMetrics metrics(widget.font());
    layout = lay_out_map_widget(520, 380, metrics.height(),
                                metrics.horizontalAdvance(QLatin1Char('0')) * 24, 4);
  }

  QImage shown() { return widget.grab().toImage().convertToFormat(QImage::Format_RGB32); }

  // The cell-by-cell picture of `view` in the map's square.
  reference_raster expected_map(const map_view& view) const {
    reference_raster raster(520, 380, map_background_pixel);
    raster.fill_cells(data.x, data.y, data.z, false, layout.map, world_of(view), layout.map);
    return raster;
  }

  // How many pixels of the map's square differ from the cell-by-cell picture.
  int differing_pixels(const QImage& picture, const map_view& view) const {
    const reference_raster expected = expected_map(view);
    int differing = 0;
    for (int row = layout.map.top; row <= layout.map.bottom; ++row) {
      for (int column = layout.map.left; column <= layout.map.right; ++column)
        differing += picture.pixel(column, row) != expected.pixels[row * 520 + column];
    }
    return differing;
  }

  map_view whole() const { return {data.x.front(), data.y.front(), data.x.back(), data.y.back()}; }

  // The view a user's wheel and drags make, on the same map.
  std::unique_ptr<viewed_map> model() const {
    auto map = std::make_shared<map_data>();
    map->x = data.x;
    map->y = data.y;
    map->values = map_values<double>(data.z);
    return viewed_values(std::move(map));
  }

  void move_mouse(QPoint to, Qt::MouseButtons buttons) {
    QMouseEvent move(QEvent::MouseMove, QPointF(to), widget.mapToGlobal(QPointF(to)), Qt::NoButton,
                     buttons, Qt::NoModifier);
    QApplication::sendEvent(&widget, &move);
  }

  const field data = uneven_field(300, 200);
  map_widget widget;
  map_widget_layout layout{};
};

TEST_F(MapWidget, ShowsTheWholeMapAsFilledCellByCell) {
  ASSERT_GT(layout.map.right - layout.map.left, 200);
  const QImage picture = shown();
  ASSERT_EQ(picture.size(), QSize(520, 380));
  EXPECT_EQ(differing_pixels(picture, whole()), 0);
}

TEST_F(MapWidget, TheWheelZoomsAroundTheCursorAndDraggingPans) {
  const QPoint cursor(layout.map.left + 60, layout.map.top + 90);
  QWheelEvent wheel(QPointF(cursor), widget.mapToGlobal(QPointF(cursor)), QPoint(), QPoint(0, 360),
                    Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(&widget, &wheel);
  const auto map = model();
  map_viewing viewing = viewing_of(*map);
  zoom_around(viewing, *map, layout.map, {cursor.x(), cursor.y()}, 3);
  const map_view zoomed = double_view(viewing.view);
  // The world point under the cursor stays there, and the view is half as wide.
  const world_point before = world_point_at(whole(), layout.map, {cursor.x(), cursor.y()});
  const world_point after = world_point_at(zoomed, layout.map, {cursor.x(), cursor.y()});
  EXPECT_NEAR(after.x, before.x, 1e-9);
  EXPECT_NEAR(after.y, before.y, 1e-9);
  EXPECT_NEAR((zoomed.x2 - zoomed.x1) * 1.953125, whole().x2 - whole().x1, 1e-9);
  const QImage zoomed_picture = shown();
  EXPECT_EQ(differing_pixels(zoomed_picture, zoomed), 0);
  EXPECT_GT(differing_pixels(zoomed_picture, whole()), 1000) << "the wheel did not zoom";

  QMouseEvent press(QEvent::MouseButtonPress, QPointF(cursor), widget.mapToGlobal(QPointF(cursor)),
                    Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&widget, &press);
  move_mouse(cursor + QPoint(40, -25), Qt::LeftButton);
  QMouseEvent release(QEvent::MouseButtonRelease, QPointF(cursor + QPoint(40, -25)),
                      widget.mapToGlobal(QPointF(cursor + QPoint(40, -25))), Qt::LeftButton,
                      Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(&widget, &release);
  start_drag(viewing, {cursor.x(), cursor.y()});
  drag_to(viewing, *map, layout.map, {cursor.x() + 40, cursor.y() - 25});
  EXPECT_EQ(differing_pixels(shown(), double_view(viewing.view)), 0);

  QKeyEvent home(QEvent::KeyPress, Qt::Key_Home, Qt::NoModifier);
  QApplication::sendEvent(&widget, &home);
  EXPECT_EQ(differing_pixels(shown(), whole()), 0);
}

// A new map over the same coordinates is the next frame of an animation: the
// user's zoom stays.
TEST_F(MapWidget, AnAnimationKeepsTheUsersZoom) {
  const QPoint cursor(layout.map.left + 60, layout.map.top + 90);
  QWheelEvent wheel(QPointF(cursor), widget.mapToGlobal(QPointF(cursor)), QPoint(), QPoint(0, 240),
                    Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(&widget, &wheel);
  const auto map = model();
  map_viewing viewing = viewing_of(*map);
  zoom_around(viewing, *map, layout.map, {cursor.x(), cursor.y()}, 2);
  widget.set_map(data.x, data.y, data.z, {.title = "Field"});
  EXPECT_EQ(differing_pixels(shown(), double_view(viewing.view)), 0);
}

// At a thousand positions over the uneven grid, the readout names the cell
// whose grey is drawn under the cursor: its indices, the caller's x and y of
// that cell and its value, each exactly.
TEST_F(MapWidget, HoveringNamesTheCellDrawnUnderTheCursor) {
  const reference_raster expected = expected_map(whole());
  int read = 0;
  for (int row = layout.map.top; row <= layout.map.bottom; row += 9) {
    for (int column = layout.map.left; column <= layout.map.right; column += 9) {
      move_mouse({column, row}, Qt::NoButton);
      const long long cell = expected.cells[row * 520 + column];
      ASSERT_GE(cell, 0);
      const std::size_t i = static_cast<std::size_t>(cell) % data.x.size();
      const std::size_t j = static_cast<std::size_t>(cell) / data.x.size();
      const std::string value = std::isnan(data.z[cell]) ? "NaN" : shortest(data.z[cell]);
      const std::string wanted = "cell " + std::to_string(i) + ", " + std::to_string(j) +
                                 "   x = " + shortest(data.x[i]) + "   y = " + shortest(data.y[j]) +
                                 "   value = " + value;
      const QStringList lines = widget.readout().split('\n');
      ASSERT_EQ(lines.size(), 3) << widget.readout().toStdString();
      ASSERT_EQ(lines[2].toStdString(), wanted) << "at " << column << ", " << row;
      ++read;
    }
  }
  EXPECT_GT(read, 600);
  // The visible ranges lead the readout.
  EXPECT_TRUE(widget.readout().startsWith(QStringLiteral("x -2 .. ")));
}

TEST_F(MapWidget, AResizedWidgetLaysTheMapOutAgainForItsSize) {
  widget.resize(330, 260);
  const QFontMetrics metrics(widget.font());
  layout = lay_out_map_widget(330, 260, metrics.height(),
                              metrics.horizontalAdvance(QLatin1Char('0')) * 24, 4);
  const QImage picture = shown();
  ASSERT_EQ(picture.size(), QSize(330, 260));
  ASSERT_GT(layout.map.right - layout.map.left, 20);
  reference_raster expected(330, 260, map_background_pixel);
  expected.fill_cells(data.x, data.y, data.z, false, layout.map, world_of(whole()), layout.map);
  int differing = 0;
  for (int row = layout.map.top; row <= layout.map.bottom; ++row) {
    for (int column = layout.map.left; column <= layout.map.right; ++column)
      differing += picture.pixel(column, row) != expected.pixels[row * 330 + column];
  }
  EXPECT_EQ(differing, 0);
}

TEST(MapWidgetRequest, UnderALogarithmicScaleTheReadoutGivesTheValueAndItsLogarithm) {
  testing::ensure_qt_application();
  map_widget widget;
  widget.resize(400, 300);
  const std::vector<double> x{0, 1}, y{0, 1}, z{1, 10, 100, 1000};
  widget.set_map(x, y, z, {.logscale = true});
  // The top right cell, value 1000, lies under the map's top right corner.
  const QFontMetrics metrics(widget.font());
  const map_widget_layout layout = lay_out_map_widget(
      400, 300, metrics.height(), metrics.horizontalAdvance(QLatin1Char('0')) * 24, 4);
  const QPointF corner(layout.map.right - 1, layout.map.top + 1);
  QMouseEvent move(QEvent::MouseMove, corner, widget.mapToGlobal(corner), Qt::NoButton,
                   Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(&widget, &move);
  EXPECT_TRUE(widget.readout().endsWith(QStringLiteral("value = 1000   log = 3")))
      << widget.readout().toStdString();
}

TEST(MapWidgetRequest, UnusableGridsSayWhyAndFloatGridsAreKeptAsTheyAre) {
  testing::ensure_qt_application();
  map_widget widget;
  const std::vector<float> x{0, 1, 2}, y{0, 1}, z{1, 2, 3, 4, 5};
  widget.set_map(x, y, z);
  EXPECT_EQ(widget.readout().toStdString(), "Warning: 5 values for a 3 x 2 grid, nothing shown");
  const std::vector<float> flat(6, 4.5f);
  widget.set_map(x, y, flat);
  EXPECT_TRUE(widget.readout().startsWith(QStringLiteral("All values equal 4.5")))
      << widget.readout().toStdString();
  const std::vector<float> grid{1, 10, 100, 1, 10, 100};
  widget.set_map(x, y, grid_view<float>{grid.data(), 3, 2}, {.logscale = true});
  EXPECT_TRUE(widget.readout().startsWith(QStringLiteral("x 0 .. 2   y 0 .. 1")));
}

// At any size the map, the legend and the strip each keep room of their own:
// a tall widget puts the legend under the map, and no widget gets smaller
// than a map 120 pixels wide with its legend and strip in full.
TEST(MapWidgetLayout, MapLegendAndStripNeverOverlapAtAnySize) {
  testing::ensure_qt_application();
  map_widget widget;
  const QFontMetrics metrics(widget.font());
  const int line = metrics.height(),
            legend_width = metrics.horizontalAdvance(QLatin1Char('0')) * 24;
  for (const QSize asked : {QSize(220, 160), QSize(360, 640), QSize(580, 330), QSize(1400, 300),
                            QSize(300, 1000), QSize(800, 800)}) {
    widget.resize(asked);
    const QSize size = widget.size();
    const map_widget_layout layout =
        lay_out_map_widget(size.width(), size.height(), line, legend_width, 4);
    const int side = layout.map.right - layout.map.left + 1;
    SCOPED_TRACE(std::to_string(size.width()) + " x " + std::to_string(size.height()));
    EXPECT_GE(side, 120);
    EXPECT_LE(layout.map.right, size.width());
    EXPECT_LT(layout.map.bottom, layout.strip_top);
    const int legend_bottom = layout.legend_top + legend_line_count * line;
    EXPECT_LE(legend_bottom, layout.strip_top);
    EXPECT_LE(layout.legend_left + legend_width, size.width());
    const bool beside = layout.legend_left > layout.map.right;
    const bool under = layout.legend_top > layout.map.bottom;
    EXPECT_TRUE(beside || under);
    EXPECT_LE(layout.strip_top + strip_line_count * line, size.height());
    // The map takes the room there is: all of the width or of the height
    // that the legend leaves.
    const int spare_width = size.width() - (beside ? legend_width + 12 : 8) - side;
    const int spare_height =
        layout.strip_top - 8 - (under ? legend_line_count * line + 4 : 0) - side;
    EXPECT_TRUE(spare_width <= 1 || spare_height <= 1) << spare_width << " " << spare_height;
  }
  widget.resize(360, 640);
  EXPECT_GT(lay_out_map_widget(360, 640, line, legend_width, 4).map.right, 300)
      << "a tall widget leaves its height empty";
}

}  // namespace
}  // namespace mapplot
