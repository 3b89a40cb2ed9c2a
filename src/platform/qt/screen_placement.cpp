#include "platform/qt/screen_placement.hpp"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "platform/window_placement.hpp"

namespace mapplot {
namespace {

// The canvas width of the smallest map layout (580 x 270 drawn, 581 pixels
// wide): the graphics window the frame window leaves room for.
constexpr int expected_graphics_width = 581;

// What a window manager is assumed to add before it has said what it adds: a
// title bar and thin borders. With no window manager this only costs a few
// pixels of the frame window's width.
constexpr decoration assumed_decoration{4, 30, 4, 8};

screen_area area_of(const QRect& rectangle) {
  return {rectangle.x(), rectangle.y(), rectangle.width(), rectangle.height()};
}

QScreen* screen_of(const QWidget* widget) {
  QScreen* screen = widget != nullptr ? widget->screen() : nullptr;
  return screen != nullptr ? screen : QGuiApplication::primaryScreen();
}

// The frame window's own decoration once the window manager has framed it.
decoration decoration_of(const QWidget& window) {
  const QRect outer = window.frameGeometry();
  const QRect inner = window.geometry();
  const decoration measured{inner.left() - outer.left(), inner.top() - outer.top(),
                            outer.right() - inner.right(), outer.bottom() - inner.bottom()};
  const bool framed = measured.left > 0 || measured.top > 0 || measured.right > 0;
  return framed ? measured : decoration{};
}

}  // namespace

void place_frame_window(QWidget& frame, int narrowest_width) {
  QScreen* screen = screen_of(&frame);
  if (screen == nullptr) return;
  const screen_area placed =
      frame_window_area(area_of(screen->availableGeometry()), frame.width(), frame.height(),
                        narrowest_width, expected_graphics_width, assumed_decoration);
  frame.resize(placed.width, placed.height);
  frame.move(placed.left, placed.top);
}

void place_graphics_window(QWidget& window, int number, const QWidget* frame) {
  QScreen* screen = screen_of(frame);
  if (screen == nullptr) return;
  const screen_area available = area_of(screen->availableGeometry());
  const bool frame_shown = frame != nullptr && frame->isVisible();
  const screen_area frame_area = frame_shown ? area_of(frame->frameGeometry())
                                             : screen_area{available.left, available.top, 0, 0};
  const decoration around = frame_shown ? decoration_of(*frame) : decoration{};
  const screen_area placed =
      graphics_window_area(available, frame_area, number, window.width(), window.height(), around);
  window.move(placed.left, placed.top);
}

}  // namespace mapplot
