#pragma once

#include <QWidget>

#include "platform/qt/graphics_canvas.hpp"

namespace mapplot {

// Shows one canvas on screen: a top-level graphics window, or the console
// window's picture. Lives on the GUI thread and only copies pixels.
class graphics_view final : public QWidget {
  Q_OBJECT
 public:
  explicit graphics_view(graphics_canvas& canvas, QWidget* parent = nullptr);

  // Takes the canvas's current size and schedules a paint.
  void sync_with_canvas();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  graphics_canvas& canvas_;
};

}  // namespace mapplot
