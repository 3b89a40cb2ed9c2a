#include "platform/qt/graphics_view.hpp"

#include <QPainter>
#include <mutex>

namespace mapplot {
namespace {

// Before anything is drawn the window still needs a sensible size.
constexpr QSize empty_canvas_size(320, 200);

}  // namespace

graphics_view::graphics_view(graphics_canvas& canvas, QWidget* parent)
    : QWidget(parent), canvas_(canvas) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setObjectName(QStringLiteral("graphics-window-%1").arg(canvas.number));
  setProperty("window_number", canvas.number);
  setFixedSize(empty_canvas_size);
}

void graphics_view::sync_with_canvas() {
  QSize size;
  {
    std::scoped_lock lock(canvas_.lock);
    if (!canvas_.image.isNull()) size = canvas_.image.size();
  }
  if (size.isValid() && size != this->size()) setFixedSize(size);
  update();
}

void graphics_view::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::black);
  {
    std::scoped_lock lock(canvas_.lock);
    if (!canvas_.image.isNull()) painter.drawImage(0, 0, canvas_.image);
    canvas_.unpainted_since.reset();
    canvas_.paint_stalled = false;
  }
  canvas_.painted.notify_all();
}

void graphics_view::showEvent(QShowEvent*) {
  canvas_.shown = true;
}

void graphics_view::hideEvent(QHideEvent*) {
  canvas_.shown = false;
  // A drawing call may be waiting for a paint that will not come now.
  {
    std::scoped_lock lock(canvas_.lock);
    canvas_.unpainted_since.reset();
  }
  canvas_.painted.notify_all();
}

}  // namespace mapplot
