#include "platform/qt/graphics_view.hpp"

#include <QPainter>
#include <QScreen>
#include <QWindow>

namespace mapplot {
namespace {

// Before anything is presented the window still needs a sensible size.
constexpr QSize empty_canvas_size(320, 200);
constexpr double assumed_refresh_rate = 60.0;

}  // namespace

std::chrono::steady_clock::duration refresh_period(const QScreen* screen) {
  const double rate = screen != nullptr ? screen->refreshRate() : 0.0;
  const double per_second = rate >= 1.0 ? rate : assumed_refresh_rate;
  return std::chrono::duration_cast<std::chrono::steady_clock::duration>(
      std::chrono::duration<double>(1.0 / per_second));
}

graphics_view::graphics_view(window_canvas& canvas, QWidget* parent)
    : QWidget(parent), canvas_(canvas) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setObjectName(QStringLiteral("graphics-window-%1").arg(canvas.number()));
  setProperty("window_number", canvas.number());
  setFixedSize(empty_canvas_size);
}

void graphics_view::sync_with_canvas() {
  const QSize size = canvas_.presented_size();
  if (size.isValid() && !size.isEmpty() && size != this->size()) setFixedSize(size);
  update();
}

void graphics_view::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  canvas_.paint([&](const QImage& front) {
    if (!front.isNull()) painter.drawImage(0, 0, front);
    // Whatever the picture does not cover.
    if (front.width() < width()) {
      painter.fillRect(front.width(), 0, width() - front.width(), height(), Qt::black);
    }
    if (front.height() < height()) {
      painter.fillRect(0, front.height(), width(), height() - front.height(), Qt::black);
    }
  });
}

void graphics_view::showEvent(QShowEvent*) {
  follow_screen(screen());
  if (!following_screen_changes_ && window()->windowHandle() != nullptr) {
    following_screen_changes_ = true;
    connect(window()->windowHandle(), &QWindow::screenChanged, this, &graphics_view::follow_screen);
  }
  canvas_.set_shown(true);
}

void graphics_view::hideEvent(QHideEvent*) {
  // A frame that waits for this window's paint would wait in vain.
  canvas_.set_shown(false);
}

void graphics_view::keyPressEvent(QKeyEvent* event) {
  const window_command command = command_for_key(*event);
  if (command == window_command::none) {
    QWidget::keyPressEvent(event);
    return;
  }
  emit command_given(command);
}

void graphics_view::follow_screen(QScreen* screen) {
  canvas_.set_refresh_period(refresh_period(screen));
}

}  // namespace mapplot
