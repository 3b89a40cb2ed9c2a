// A map_widget showing a map whose x (or y) coordinates are all one value:
// the view spans a unit around that value, so that the cells, drawn as a
// line of no width, are in view and read where they are drawn.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <mapplot/map_widget.hpp>
#include <set>
#include <vector>

#include "platform/map_data.hpp"
#include "platform/qt_application.hpp"
#include "screenmap/map_widget_layout.hpp"

namespace mapplot {
namespace {

class SingleValuedCoordinates : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testing::ensure_qt_application(); }

  void SetUp() override {
    widget.resize(520, 380);
    const QFontMetrics metrics(widget.font());
    layout = lay_out_map_widget(520, 380, metrics.height(),
                                metrics.horizontalAdvance(QLatin1Char('0')) * 24, 4);
  }

  // The pixels of the map square that are not its background, as "column row
  // grey".
  std::set<std::vector<int>> drawn_pixels() {
    const QImage picture = widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
    std::set<std::vector<int>> drawn;
    for (int row = layout.map.top; row <= layout.map.bottom; ++row) {
      for (int column = layout.map.left; column <= layout.map.right; ++column) {
        const QRgb pixel = picture.pixel(column, row);
        if ((pixel & 0xffffffu) != (map_background_pixel & 0xffffffu))
          drawn.insert({column, row, qRed(pixel)});
      }
    }
    return drawn;
  }

  map_widget widget;
  map_widget_layout layout{};
};

TEST_F(SingleValuedCoordinates, AllXEqualAreShownOnAUnitSpanCentredOnThem) {
  // Three columns at x = 5, rows at y = 0 and 1: the last column is drawn,
  // its lower half-cell (value 2) and upper half-cell (value 5).
  widget.set_map(std::vector<double>{5, 5, 5}, std::vector<double>{0, 1},
                 std::vector<double>{0, 1, 2, 3, 4, 5});
  EXPECT_EQ(widget.readout(), QStringLiteral("x 4.5 .. 5.5   y 0 .. 1"));
  const auto drawn = drawn_pixels();
  ASSERT_FALSE(drawn.empty()) << "the map's cells are out of view";
  const int middle = (layout.map.left + layout.map.right) / 2;
  std::set<int> greys;
  for (const auto& pixel : drawn) {
    EXPECT_LE(std::abs(pixel[0] - middle), 1) << "column " << pixel[0];
    greys.insert(pixel[2]);
  }
  EXPECT_EQ(greys, (std::set<int>{102, 255}));
}

TEST_F(SingleValuedCoordinates, AllYEqualAreShownOnAUnitSpanCentredOnThem) {
  widget.set_map(std::vector<float>{0, 1}, std::vector<float>{-3, -3},
                 std::vector<float>{0, 1, 2, 3});
  EXPECT_EQ(widget.readout(), QStringLiteral("x 0 .. 1   y -3.5 .. -2.5"));
  const auto drawn = drawn_pixels();
  ASSERT_FALSE(drawn.empty()) << "the map's cells are out of view";
  const int middle = (layout.map.top + layout.map.bottom) / 2;
  for (const auto& pixel : drawn) EXPECT_LE(std::abs(pixel[1] - middle), 1) << "row " << pixel[1];
}

}  // namespace
}  // namespace mapplot
