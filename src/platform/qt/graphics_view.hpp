#pragma once

#include <QImage>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <optional>

#include "platform/qt/framed_map_viewing.hpp"
#include "platform/qt/window_canvas.hpp"
#include "platform/qt/window_keys.hpp"

class QScreen;

namespace mapplot {

// Shows one canvas on screen: a top-level graphics window, or the console
// window's picture. Lives on the GUI thread and only copies presented pixels,
// but for the map a frame shows: the user may hover over it for its values,
// zoom and pan it, and a zoomed view is drawn again from the kept map at the
// window's pixels. The user's view is a camera held across frames; the
// program's frames themselves never change.
class graphics_view final : public QWidget {
  Q_OBJECT
 public:
  explicit graphics_view(window_canvas& canvas, QWidget* parent = nullptr);

  // Takes the presented picture's size and schedules a paint.
  void sync_with_canvas();
  const window_canvas& canvas() const { return canvas_; }

  // The picture the window shows now without its text overlays: the
  // presented frame, its map drawn through the user's view.
  QImage shown_picture() const;
  // Whether the program's frames are held; says so over the picture.
  void set_paused(bool paused);
  // Shows `text` over the picture for a moment.
  void show_notice(const QString& text);
  // The strip's lines under the picture: the visible ranges, the point and
  // the cell under the cursor, and what the window has to say.
  QStringList status_lines() const;
  bool help_shown() const { return viewing_.help_shown(); }
  // The strip's height under the picture, in pixels.
  int strip_height() const;

 signals:
  // A key that steers the program was pressed while this window had the focus.
  void command_given(mapplot::window_command command);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  void follow_screen(QScreen* screen);
  // Takes the map the presented frame shows, keeping the user's view relative
  // to the whole map as the program's frames move on.
  void follow_map(const std::optional<placed_map>& placed) { viewing_.follow(placed); }
  void reset_view();
  void paint_overlays(QPainter& painter) const;

  window_canvas& canvas_;
  bool following_screen_changes_ = false;

  framed_map_viewing viewing_;  // the user's view of the shown map, cursor and drag
  bool paused_ = false;
  QString notice_;
  QTimer notice_timer_;
};

// One refresh of `screen`: 1 / QScreen::refreshRate(), or 1/60 s when the
// screen reports no rate.
std::chrono::steady_clock::duration refresh_period(const QScreen* screen);

}  // namespace mapplot
