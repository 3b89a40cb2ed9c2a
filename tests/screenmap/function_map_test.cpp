// A function-backed map_widget off screen: its pixels against the function's
// grey levels worked out here, and the ranges the function is asked for
// after a wheel zoom.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QWheelEvent>
#include <cmath>
#include <limits>
#include <mapplot/map_widget.hpp>
#include <mutex>
#include <string>
#include <vector>

#include "platform/map_data.hpp"
#include "platform/qt_application.hpp"
#include "screenmap/map_widget_layout.hpp"

namespace mapplot {
namespace {

float sine_of_product(long double x, long double y) {
  return static_cast<float>(std::sin(static_cast<double>(x * y)));
}

// The same pixel centres as documented for map_viewport.
long double centre(long double low, long double high, std::size_t index, std::size_t count) {
  return low + (high - low) * (2 * static_cast<long double>(index) + 1) /
                   (2 * static_cast<long double>(count));
}

struct asked_views {
  std::mutex mutex;
  std::vector<map_viewport> viewports;
};

class FunctionMap : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testing::ensure_qt_application(); }

  void SetUp() override {
    widget.resize(500, 360);
    const QFontMetrics metrics(widget.font());
    layout = lay_out_map_widget(500, 360, metrics.height(),
                                metrics.horizontalAdvance(QLatin1Char('0')) * 24, 4);
    widget.set_function(
        [this](const map_viewport& view, std::span<float> values, const std::atomic<bool>&) {
          {
            const std::lock_guard lock(asked->mutex);
            asked->viewports.push_back(view);
          }
          for (std::size_t j = 0; j < view.rows; ++j) {
            for (std::size_t i = 0; i < view.columns; ++i)
              values[i + j * view.columns] =
                  sine_of_product(centre(view.x1, view.x2, i, view.columns),
                                  centre(view.y1, view.y2, j, view.rows));
          }
          return true;
        },
        -3, 3, -2, 2, {.title = "sin(x y)"});
  }

  // Grabs the widget once the function has answered for the current view.
  QImage computed_picture() {
    QImage picture = widget.grab().toImage();
    for (int round = 0; round < 100000 && !widget.view_computed(); ++round) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
      picture = widget.grab().toImage();
    }
    EXPECT_TRUE(widget.view_computed());
    return picture.convertToFormat(QImage::Format_RGB32);
  }

  // Pixels of the map square whose grey differs from the function's over the
  // view x1 .. x2, y1 .. y2, scaled from the values' own range.
  int differing_pixels(const QImage& picture, long double x1, long double x2, long double y1,
                       long double y2) const {
    const auto columns = static_cast<std::size_t>(layout.map.right - layout.map.left + 1);
    const auto rows = static_cast<std::size_t>(layout.map.bottom - layout.map.top + 1);
    std::vector<float> values;
    for (std::size_t j = 0; j < rows; ++j) {
      for (std::size_t i = 0; i < columns; ++i)
        values.push_back(
            sine_of_product(centre(x1, x2, i, columns), centre(y1, y2, rows - 1 - j, rows)));
    }
    const auto [low, high] = std::minmax_element(values.begin(), values.end());
    int differing = 0;
    for (std::size_t j = 0; j < rows; ++j) {
      for (std::size_t i = 0; i < columns; ++i) {
        const double level =
            (values[i + j * columns] - double{*low}) * 255 / (*high - double{*low});
        const int grey = static_cast<int>(std::lround(level));
        differing += picture.pixel(layout.map.left + static_cast<int>(i),
                                   layout.map.top + static_cast<int>(j)) != qRgb(grey, grey, grey);
      }
    }
    return differing;
  }

  std::shared_ptr<asked_views> asked = std::make_shared<asked_views>();
  map_widget widget;
  map_widget_layout layout{};
};

TEST_F(FunctionMap, ShowsTheFunctionOneValuePerPixelAndAsksAgainForAZoomedView) {
  ASSERT_GT(layout.map.right - layout.map.left, 200);
  EXPECT_EQ(differing_pixels(computed_picture(), -3, 3, -2, 2), 0);
  {
    const std::lock_guard lock(asked->mutex);
    ASSERT_FALSE(asked->viewports.empty());
    const map_viewport& first = asked->viewports.front();
    const map_viewport& last = asked->viewports.back();
    EXPECT_FALSE(last.preview);
    EXPECT_EQ(last.columns, static_cast<std::size_t>(layout.map.right - layout.map.left + 1));
    EXPECT_TRUE(first.preview) << "a coarse picture comes first";
    EXPECT_EQ(first.columns, (last.columns + 3) / 4) << "the coarse picture is every fourth pixel";
    EXPECT_EQ(first.rows, (last.rows + 3) / 4);
    asked->viewports.clear();
  }

  // Two notches around the pixel in the map's centre column, a quarter down.
  const int column = layout.map.left + 100, row = layout.map.top + 50;
  const QPoint cursor(column, row);
  QWheelEvent wheel(QPointF(cursor), widget.mapToGlobal(QPointF(cursor)), QPoint(), QPoint(0, 240),
                    Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(&widget, &wheel);
  const long double columns = layout.map.right - layout.map.left + 1;
  const long double rows = layout.map.bottom - layout.map.top + 1;
  const long double px = -3 + 6 * (2 * 100 + 1) / (2 * columns);
  const long double py = -2 + 4 * (2 * (rows - 1 - 50) + 1) / (2 * rows);
  const long double factor = 1.5625L;
  const long double x1 = px - (px + 3) / factor, x2 = px + (3 - px) / factor;
  const long double y1 = py - (py + 2) / factor, y2 = py + (2 - py) / factor;
  EXPECT_EQ(differing_pixels(computed_picture(), x1, x2, y1, y2), 0);
  const std::lock_guard lock(asked->mutex);
  ASSERT_FALSE(asked->viewports.empty());
  const map_viewport& zoomed = asked->viewports.back();
  EXPECT_NEAR(static_cast<double>(zoomed.x1), static_cast<double>(x1), 1e-12);
  EXPECT_NEAR(static_cast<double>(zoomed.x2), static_cast<double>(x2), 1e-12);
  EXPECT_NEAR(static_cast<double>(zoomed.y1), static_cast<double>(y1), 1e-12);
  EXPECT_NEAR(static_cast<double>(zoomed.y2), static_cast<double>(y2), 1e-12);
  EXPECT_TRUE(widget.readout().startsWith(QStringLiteral("shown: x ")));
}

TEST_F(FunctionMap, InfiniteValuesAreBlackAndWhiteAndNaNShowsTheBackground) {
  widget.set_function(
      [](const map_viewport& view, std::span<float> values, const std::atomic<bool>&) {
        constexpr float infinity = std::numeric_limits<float>::infinity();
        for (std::size_t j = 0; j < view.rows; ++j) {
          for (std::size_t i = 0; i < view.columns; ++i) {
            const std::size_t third = 3 * i / view.columns;
            const float value = third == 0 ? -infinity : third == 1 ? float(i) : infinity;
            // The upper half (j counts from the bottom) has no values.
            values[i + j * view.columns] =
                j < view.rows / 2 ? value : std::numeric_limits<float>::quiet_NaN();
          }
        }
        return true;
      },
      0, 1, 0, 1);
  const QImage picture = computed_picture();
  const int low_row = layout.map.bottom - 2;
  EXPECT_EQ(picture.pixel(layout.map.left + 2, low_row), qRgb(0, 0, 0));
  EXPECT_EQ(picture.pixel(layout.map.right - 2, low_row), qRgb(255, 255, 255));
  EXPECT_EQ(picture.pixel(layout.map.left + 2, layout.map.top + 2), map_background_pixel);
}

TEST_F(FunctionMap, AViewTheCheckRefusesIsNotShownAndTheReadoutSaysWhy) {
  widget.set_function(
      [](const map_viewport& view, std::span<float> values, const std::atomic<bool>&) {
        std::fill(values.begin(), values.end(), static_cast<float>(view.columns));
        return true;
      },
      0, 1, 0, 1, {},
      [](const map_viewport& view) {
        return view.x2 - view.x1 < 0.9L ? std::string("too deep") : std::string();
      });
  computed_picture();
  const QPoint cursor(layout.map.left + 10, layout.map.top + 10);
  QWheelEvent wheel(QPointF(cursor), widget.mapToGlobal(QPointF(cursor)), QPoint(), QPoint(0, 120),
                    Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(&widget, &wheel);
  EXPECT_TRUE(widget.readout().startsWith(QStringLiteral("x 0 .. 1   y 0 .. 1\ntoo deep")))
      << widget.readout().toStdString();
}

TEST_F(FunctionMap, AFlatViewSaysItsValuesAreAllEqual) {
  widget.set_function(
      [](const map_viewport&, std::span<float> values, const std::atomic<bool>&) {
        std::fill(values.begin(), values.end(), -0.5f);
        return true;
      },
      0, 1, 0, 1);
  computed_picture();
  EXPECT_TRUE(widget.readout().contains(QStringLiteral("\nAll values equal -.5")))
      << widget.readout().toStdString();
}

// Deep in long double, and beyond the double range, the readout tells
// neighbouring pixels apart and writes finite edges as numbers.
TEST_F(FunctionMap, ReadoutsKeepTheFunctionsLongDoublePrecision) {
  const auto flat = [](const map_viewport&, std::span<float> values, const std::atomic<bool>&) {
    std::fill(values.begin(), values.end(), 1.0f);
    return true;
  };
  const auto point_line = [this](int column) {
    const QPointF at(layout.map.left + column, layout.map.top + 20);
    QMouseEvent move(QEvent::MouseMove, at, widget.mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(&widget, &move);
    return widget.readout().split('\n').value(1).toStdString();
  };
  const long double centre_x = 1.3002431234567L, half = 1.756e-17L;
  widget.set_function(flat, centre_x - half, centre_x + half, -half, half);
  const std::string first = point_line(10), next = point_line(11);
  EXPECT_NE(first, next);
  EXPECT_EQ(first.rfind("at x = 1.3002431234566999", 0), 0u) << first;

  widget.set_function(flat, 1e400L, 1.5e400L, -1e-400L, 1e-400L);
  const std::string far = widget.readout().toStdString() + point_line(5);
  EXPECT_EQ(far.find("inf"), std::string::npos) << far;
  EXPECT_NE(far.find("e+400"), std::string::npos) << far;
  EXPECT_NE(far.find("e-400"), std::string::npos) << far;
}

// At the deepest view the check allows, a larger widget keeps each pixel's
// spacing and shows more of the plane instead of asking for pixels the check
// refuses; zooming out is open from there.
TEST_F(FunctionMap, AResizeAtTheCheckedLimitKeepsThePixelsSpacing) {
  const auto spacing = [](const map_viewport& view) {
    return (view.x2 - view.x1) / static_cast<long double>(view.columns);
  };
  const long double finest = 1e-3L;
  widget.set_function(
      [this](const map_viewport& view, std::span<float> values, const std::atomic<bool>&) {
        {
          const std::lock_guard lock(asked->mutex);
          asked->viewports.push_back(view);
        }
        std::fill(values.begin(), values.end(), static_cast<float>(view.x1));
        return true;
      },
      0, 1, 0, 1, {},
      [spacing, finest](const map_viewport& view) {
        return spacing(view) < finest ? std::string("too fine") : std::string();
      });
  computed_picture();
  const QPoint cursor(layout.map.left + 40, layout.map.top + 40);
  for (int notch = 0; notch < 20; ++notch) {
    QWheelEvent wheel(QPointF(cursor), widget.mapToGlobal(QPointF(cursor)), QPoint(),
                      QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&widget, &wheel);
  }
  computed_picture();
  ASSERT_NE(widget.readout().indexOf(QStringLiteral("too fine")), -1);
  widget.resize(900, 700);
  computed_picture();
  EXPECT_EQ(widget.readout().indexOf(QStringLiteral("too fine")), -1)
      << "a refusal outlived the view it refused";
  {
    const std::lock_guard lock(asked->mutex);
    for (const map_viewport& view : asked->viewports) {
      if (!view.preview) {
        EXPECT_GE(spacing(view), finest) << view.columns << " columns";
      }
    }
    EXPECT_GT(asked->viewports.back().columns, 400u);
  }
  QWheelEvent out(QPointF(cursor), widget.mapToGlobal(QPointF(cursor)), QPoint(), QPoint(0, -120),
                  Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(&widget, &out);
  EXPECT_EQ(widget.readout().indexOf(QStringLiteral("too fine")), -1)
      << widget.readout().toStdString();
}

}  // namespace
}  // namespace mapplot
