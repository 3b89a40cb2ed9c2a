#pragma once

#include <QWidget>

#include "platform/qt/window_canvas.hpp"
#include "platform/qt/window_keys.hpp"

class QScreen;

namespace mapplot {

// Shows one canvas on screen: a top-level graphics window, or the console
// window's picture. Lives on the GUI thread and only copies presented pixels.
class graphics_view final : public QWidget {
  Q_OBJECT
 public:
  explicit graphics_view(window_canvas& canvas, QWidget* parent = nullptr);

  // Takes the presented picture's size and schedules a paint.
  void sync_with_canvas();
  const window_canvas& canvas() const { return canvas_; }

 signals:
  // A key that steers the program was pressed while this window had the focus.
  void command_given(mapplot::window_command command);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void follow_screen(QScreen* screen);

  window_canvas& canvas_;
  bool following_screen_changes_ = false;
};

// One refresh of `screen`: 1 / QScreen::refreshRate(), or 1/60 s when the
// screen reports no rate.
std::chrono::steady_clock::duration refresh_period(const QScreen* screen);

}  // namespace mapplot
