// The Qt implementation in this process on the offscreen platform: drawing
// comes from a second thread, as the program's does, and the canvases are
// read back pixel by pixel.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <functional>
#include <limits>
#include <thread>

#include "platform/cancellation.hpp"
#include "platform/qt/frame_window.hpp"
#include "platform/qt/graphics_view.hpp"
#include "platform/qt/qt_window_system.hpp"
#include "platform/qt/window_views.hpp"
#include "qt_application.hpp"
#include "textout/console_capture.hpp"
namespace mapplot {
namespace {

const QRgb black = qRgb(0, 0, 0);
const QRgb navy = qRgb(0, 0, 128);
const QRgb purple = qRgb(128, 0, 128);

class QtCanvas : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testing::ensure_qt_application(); }

  // Runs `drawing` on a thread of its own, as the program's thread would, and
  // presents what it drew.
  static void draw_on_program_thread(qt_window_system& windows,
                                     const std::function<void()>& drawing) {
    std::thread program([&] {
      drawing();
      windows.present_unpresented();
    });
    program.join();
  }

  qt_window_system system{display_mode::off_screen};
};

// The pixels of `picture` that have `color`, as a bounding rectangle.
QRect pixels_of_color(const QImage& picture, QRgb color) {
  QRect found;
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x) {
      if (picture.pixel(x, y) == color) found |= QRect(x, y, 1, 1);
    }
  }
  return found;
}

TEST_F(QtCanvas, TheFrameAndBackgroundOfTheSmallLayoutAndItsCanvasSize) {
  draw_on_program_thread(system, [&] {
    system.open_graphics_window(101, "Julia set");
    system.focus_graphics_window(101);
    system.clear_window();
    system.set_color_index(5);
    system.draw_rectangle(rectangle_style::outline, 1, 1, 270, 270);
    system.set_color_index(1);
    system.draw_rectangle(rectangle_style::filled, 4, 4, 267, 267);
    system.set_viewport(4, 4, 577, 267);
  });
  const QImage picture = system.presented_image(101);
  EXPECT_EQ(picture.size(), QSize(581, 271));
  EXPECT_EQ(system.window_title(101), "Julia set");

  EXPECT_EQ(pixels_of_color(picture, navy), QRect(QPoint(4, 4), QPoint(267, 267)));
  // The outline is one pixel wide: its corners and edges, nothing inside.
  EXPECT_EQ(pixels_of_color(picture, purple), QRect(QPoint(1, 1), QPoint(270, 270)));
  EXPECT_EQ(picture.pixel(2, 2), black);
  EXPECT_EQ(picture.pixel(270, 135), purple);
  EXPECT_EQ(picture.pixel(135, 1), purple);
  EXPECT_EQ(picture.pixel(0, 0), black);
  EXPECT_EQ(picture.pixel(580, 270), black);
}

TEST_F(QtCanvas, PixelRectanglesAreRelativeToTheViewportAndClippedToIt) {
  draw_on_program_thread(system, [&] {
    system.open_graphics_window(7, "clip");
    system.set_viewport(10, 10, 50, 50);
    system.set_color_rgb(255, 0, 0);
    system.draw_rectangle(rectangle_style::filled, 0, 0, 4, 2);
    system.set_color_rgb(0, 255, 0);
    system.draw_rectangle(rectangle_style::filled, 30, 30, 1000000, 1000000);
    system.set_color_rgb(0, 0, 255);
    system.draw_rectangle(rectangle_style::outline, -5, 20, 20, 25);
  });
  const QImage picture = system.presented_image(7);
  EXPECT_EQ(picture.size(), QSize(60, 60));
  EXPECT_EQ(pixels_of_color(picture, qRgb(255, 0, 0)), QRect(QPoint(10, 10), QPoint(14, 12)));
  EXPECT_EQ(pixels_of_color(picture, qRgb(0, 255, 0)), QRect(QPoint(40, 40), QPoint(50, 50)));
  // The outline's left edge lies outside the viewport and is not drawn.
  const QRect outline = pixels_of_color(picture, qRgb(0, 0, 255));
  EXPECT_EQ(outline, QRect(QPoint(10, 30), QPoint(30, 35)));
  EXPECT_EQ(picture.pixel(10, 32), black);
  EXPECT_EQ(picture.pixel(30, 32), qRgb(0, 0, 255));
}

TEST_F(QtCanvas, WorldRectanglesWithYUpwardsStartAtTheViewportsBottom) {
  draw_on_program_thread(system, [&] {
    system.open_graphics_window(101, "world");
    system.set_viewport(4, 4, 103, 53);
    system.set_world_window(true, 0.0, 0.0, 1.0, 1.0);
    system.set_color_rgb(200, 200, 200);
    system.draw_rectangle_world(rectangle_style::filled, 0.0, 0.0, 0.5, 0.2);
    system.set_world_window(false, 0.0, 0.0, 1.0, 1.0);
    system.set_color_rgb(50, 50, 50);
    system.draw_rectangle_world(rectangle_style::filled, 0.5, 0.0, 1.0, 0.2);
    // Off the world window: clipped away entirely.
    system.draw_rectangle_world(rectangle_style::filled, 2.0, 2.0, 3.0, 3.0);
  });
  const QImage picture = system.presented_image(101);
  // 99 steps across, 49 down: 0.5 -> 49.5 -> 50, 0.2 -> 9.8 -> 10.
  EXPECT_EQ(pixels_of_color(picture, qRgb(200, 200, 200)), QRect(QPoint(4, 43), QPoint(54, 53)));
  EXPECT_EQ(pixels_of_color(picture, qRgb(50, 50, 50)), QRect(QPoint(54, 4), QPoint(103, 14)));
}

TEST_F(QtCanvas, DegenerateOrNonFiniteWorldDrawingIsSkipped) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  draw_on_program_thread(system, [&] {
    system.open_graphics_window(101, "degenerate");
    system.set_viewport(4, 4, 50, 50);
    system.set_color_rgb(255, 255, 255);
    system.set_world_window(true, 1.0, 0.0, 1.0, 1.0);
    system.draw_rectangle_world(rectangle_style::filled, 1.0, 0.0, 1.0, 1.0);
    system.set_world_window(true, 0.0, 0.0, 1.0, 1.0);
    system.draw_rectangle_world(rectangle_style::filled, nan, 0.0, 1.0, 1.0);
    system.draw_rectangle_world(rectangle_style::filled, 0.0, 0.0, HUGE_VAL, 1.0);
    system.move_to_world(nan, 0.5);
    system.draw_text("invisible");
  });
  const QImage picture = system.presented_image(101);
  EXPECT_EQ(pixels_of_color(picture, qRgb(255, 255, 255)), QRect());
}

TEST_F(QtCanvas, TextIsDrawnInTheCurrentColourBelowAndRightOfThePosition) {
  draw_on_program_thread(system, [&] {
    system.open_graphics_window(101, "text");
    system.set_viewport(0, 0, 299, 99);
    system.set_world_window(false, 0.0, 0.0, 299.0, 99.0);
    system.set_font("t'modern'h14w9");
    system.set_color_rgb(255, 255, 0);
    system.move_to_world(20.0, 30.0);
    system.draw_text("Re(z) max = 1.00");
    system.set_font("not a font option");  // keeps modern 14 x 9
    system.set_color_rgb(0, 255, 255);
    system.move_to_world(20.0, 60.0);
    system.draw_text("Re(z) max = 1.00");
  });
  const QImage picture = system.presented_image(101);
  const QRect yellow = pixels_of_color(picture, qRgb(255, 255, 0));
  ASSERT_FALSE(yellow.isEmpty());
  EXPECT_GE(yellow.left(), 20);
  EXPECT_LE(yellow.left(), 23);
  EXPECT_GE(yellow.top(), 30);
  EXPECT_LE(yellow.bottom(), 30 + 14);
  // Sixteen characters nine pixels wide.
  EXPECT_NEAR(yellow.right(), 20 + 16 * 9, 6);

  const QRect aqua = pixels_of_color(picture, qRgb(0, 255, 255));
  EXPECT_EQ(aqua.size(), yellow.size());
  EXPECT_EQ(aqua.topLeft(), yellow.topLeft() + QPoint(0, 30));
  // Transparent background, no blended pixels: only black and the two colours.
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x) {
      const QRgb pixel = picture.pixel(x, y);
      ASSERT_TRUE(pixel == black || pixel == qRgb(255, 255, 0) || pixel == qRgb(0, 255, 255))
          << x << "," << y;
    }
  }
}

TEST_F(QtCanvas, TextIsClippedToTheViewport) {
  draw_on_program_thread(system, [&] {
    system.open_graphics_window(101, "clipped text");
    system.set_viewport(10, 10, 60, 40);
    system.set_world_window(false, 0.0, 0.0, 1.0, 1.0);
    system.set_font("t'modern'h14w9");
    system.set_color_rgb(255, 255, 255);
    system.move_to_world(0.5, 0.5);
    system.draw_text("a long line that runs far beyond the right edge");
  });
  const QRect white = pixels_of_color(system.presented_image(101), qRgb(255, 255, 255));
  ASSERT_FALSE(white.isEmpty());
  EXPECT_LE(white.right(), 60);
  EXPECT_LE(white.bottom(), 40);
}

TEST_F(QtCanvas, ClearWindowBlacksOutTheWholeCanvas) {
  draw_on_program_thread(system, [&] {
    system.open_graphics_window(101, "clear");
    system.set_color_index(15);
    system.draw_rectangle(rectangle_style::filled, 0, 0, 99, 49);
    system.clear_window();
  });
  const QImage picture = system.presented_image(101);
  EXPECT_EQ(picture.size(), QSize(100, 50));
  EXPECT_EQ(pixels_of_color(picture, black), picture.rect());
}

TEST_F(QtCanvas, WindowsKeepTheirOwnPicturesAndState) {
  draw_on_program_thread(system, [&] {
    system.open_graphics_window(101, "first");
    system.set_viewport(4, 4, 20, 20);
    system.set_color_index(12);
    system.open_graphics_window(102, "second");
    // A fresh window: whole-canvas viewport, the default colour.
    system.draw_rectangle(rectangle_style::filled, 0, 0, 1, 1);
    system.focus_graphics_window(101);
    system.draw_rectangle(rectangle_style::filled, 0, 0, 1, 1);
    // Window 0 is the console's own canvas.
    system.focus_graphics_window(0);
    system.set_color_index(9);
    system.draw_rectangle(rectangle_style::filled, 2, 2, 3, 3);
  });
  EXPECT_EQ(system.presented_image(102).pixel(0, 0), qRgb(192, 192, 192));
  EXPECT_EQ(system.presented_image(101).pixel(4, 4), qRgb(255, 0, 0));
  EXPECT_EQ(system.presented_image(101).pixel(0, 0), black);
  EXPECT_EQ(system.presented_image(0).pixel(2, 2), qRgb(0, 0, 255));
  EXPECT_EQ(system.window_numbers(), (std::vector<int>{0, 101, 102}));
  EXPECT_TRUE(system.presented_image(55).isNull());
}

// After cancel every call throws, so that the routine unwinds; what it drew
// before is never presented.
TEST_F(QtCanvas, AfterCancelEveryCallThrowsAndNothingIsPresented) {
  int thrown = 0;
  std::thread program([&] {
    system.open_graphics_window(101, "early");
    system.draw_rectangle(rectangle_style::filled, 0, 0, 10, 10);
    system.cancel();
    const std::vector<std::function<void()>> calls = {
        [&] { system.open_graphics_window(102, "late"); },
        [&] { system.focus_graphics_window(101); },
        [&] { system.set_color_index(3); },
        [&] { system.draw_rectangle(rectangle_style::filled, 0, 0, 10, 10); },
        [&] { system.draw_rectangle_world(rectangle_style::filled, 0, 0, 1, 1); },
        [&] { system.draw_text("late"); },
        [&] { system.clear_window(); },
        [&] { system.wait_for_enter(); },
        [&] { system.present_frame(); },
        [&] { system.present_unpresented(); }};
    for (const auto& call : calls) {
      try {
        call();
      } catch (const program_cancelled&) {
        ++thrown;
      }
    }
  });
  program.join();
  EXPECT_EQ(thrown, 10);
  EXPECT_TRUE(system.presented_image(101).isNull());
  EXPECT_TRUE(system.cancelled());
}

class QtWindowsOnScreen : public QtCanvas {
 protected:
  // Bounded by time, not rounds: with no events pending a round returns at
  // once, long before a freshly started program thread has posted anything.
  static void process_events_until(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done() && std::chrono::steady_clock::now() < deadline) {
      QApplication::processEvents(QEventLoop::AllEvents, 10);
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  qt_window_system shown{display_mode::on_screen};
};

TEST_F(QtWindowsOnScreen, AGraphicsWindowIsTitledAndNumberedAndFitsItsCanvas) {
  const window_views views(shown, nullptr);
  draw_on_program_thread(shown, [&] {
    shown.open_graphics_window(101, "Julia set");
    shown.set_color_index(5);
    shown.draw_rectangle(rectangle_style::outline, 1, 1, 270, 270);
    shown.set_viewport(4, 4, 577, 267);
  });
  graphics_view* window = nullptr;
  process_events_until([&] {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (widget->windowTitle() == "Julia set" && widget->isVisible()) {
        window = qobject_cast<graphics_view*>(widget);
      }
    }
    return window != nullptr && window->size() == QSize(581, 271 + window->strip_height());
  });
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(views.graphics_window(101), window);
  EXPECT_EQ(window->property("window_number").toInt(), 101);
  // The picture, and the strip under it in room of its own.
  EXPECT_EQ(window->size(), QSize(581, 271 + window->strip_height()));
  const QImage on_screen = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(on_screen.pixel(1, 1), purple);
  EXPECT_EQ(on_screen.pixel(3, 3), black);
}

TEST_F(QtWindowsOnScreen, WaitForEnterReturnsOnAConsoleLineOrThrowsOnCancel) {
  frame_window frame(QStringLiteral("probe"), shown.console_canvas());
  const window_views views(shown, &frame);
  frame.show();
  auto* input = frame.findChild<QLineEdit*>();
  ASSERT_NE(input, nullptr);

  std::atomic<bool> returned{false};
  std::thread program([&] {
    shown.wait_for_enter();
    returned = true;
  });
  process_events_until([&] { return input->isEnabled(); });
  ASSERT_TRUE(input->isEnabled());
  EXPECT_FALSE(returned);
  input->setText("anything");
  QMetaObject::invokeMethod(input, "returnPressed");
  program.join();
  EXPECT_TRUE(returned);
  EXPECT_FALSE(input->isEnabled());

  bool cancelled = false;
  std::thread waiting([&] {
    try {
      shown.wait_for_enter();
    } catch (const program_cancelled&) {
      cancelled = true;
    }
  });
  process_events_until([&] { return input->isEnabled(); });
  shown.cancel();
  waiting.join();
  EXPECT_TRUE(cancelled);
}

TEST_F(QtWindowsOnScreen, DrawingIntoWindowZeroShowsItsCanvasInTheFrameUntilReset) {
  frame_window frame(QStringLiteral("probe"), shown.console_canvas());
  const window_views views(shown, &frame);
  frame.show();
  EXPECT_EQ(frame.windowTitle(), QStringLiteral("probe \u2014 running"));
  draw_on_program_thread(shown, [&] {
    shown.set_color_index(1);
    shown.draw_rectangle(rectangle_style::filled, 0, 0, 99, 99);
  });
  process_events_until([&] { return frame.canvas_view().isVisible(); });
  EXPECT_TRUE(frame.canvas_view().isVisible());
  draw_on_program_thread(shown, [&] { shown.reset_window_mode(); });
  process_events_until([&] { return !frame.canvas_view().isVisible(); });
  EXPECT_FALSE(frame.canvas_view().isVisible());
}

// Keys pressed in a graphics window steer the layer, not the drawing: the
// pace doubles and halves within the screen's rate and one frame a second,
// Space pauses (and the frame window says so), and Ctrl+S saves the picture
// the window shows, saying where on the console.
TEST_F(QtWindowsOnScreen, KeysInAGraphicsWindowSteerThePaceAndSaveItsPicture) {
  using namespace std::chrono_literals;
  frame_window frame(QStringLiteral("probe"), shown.console_canvas());
  const window_views views(shown, &frame);
  draw_on_program_thread(shown, [&] {
    shown.open_graphics_window(101, "Keys");
    shown.set_color_index(5);
    shown.draw_rectangle(rectangle_style::filled, 0, 0, 39, 19);
  });
  graphics_view* window = nullptr;
  process_events_until([&] {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (widget->windowTitle() == "Keys" && widget->isVisible())
        window = qobject_cast<graphics_view*>(widget);
    }
    return window != nullptr;
  });
  ASSERT_NE(window, nullptr);
  const auto press = [&](int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent event(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(window, &event);
  };

  const auto screen_period = refresh_period(window->screen());
  for (int i = 0; i < 8; ++i) press(Qt::Key_Minus);
  EXPECT_EQ(shown.pace().interval(), 1s);
  press(Qt::Key_Plus);
  EXPECT_EQ(shown.pace().interval(), 500ms);
  for (int i = 0; i < 8; ++i) press(Qt::Key_Plus, Qt::ShiftModifier);
  EXPECT_EQ(shown.pace().interval(), screen_period);
  press(Qt::Key_Plus, Qt::ControlModifier);  // not a pace key
  EXPECT_EQ(shown.pace().interval(), screen_period);

  press(Qt::Key_Space);
  EXPECT_TRUE(shown.pace().paused());
  EXPECT_EQ(frame.windowTitle(), QStringLiteral("probe \u2014 paused"));
  press(Qt::Key_Space);
  EXPECT_FALSE(shown.pace().paused());
  EXPECT_EQ(frame.windowTitle(), QStringLiteral("probe \u2014 running"));

  const std::string saved = QCoreApplication::applicationName().toStdString() + "-window-101-1.png";
  std::filesystem::remove(saved);
  console_capture console;
  press(Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(console.lines, std::vector<std::string>{"  Window 101 saved as " + saved});
  const QImage picture(QString::fromStdString(saved));
  EXPECT_EQ(picture.convertToFormat(QImage::Format_RGB32), shown.presented_image(101));
  std::filesystem::remove(saved);
}

}  // namespace
}  // namespace mapplot
