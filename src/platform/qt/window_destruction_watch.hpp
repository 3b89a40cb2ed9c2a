#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QWidget>

#include "internal_api.hpp"

namespace mapplot {

// Notices when a shown top-level window is destroyed from outside the
// program (`xdotool windowclose`, a window manager that gives up on it): Qt
// does not, and would go on waiting for the window's events for ever. On
// other platforms than X11 it notices nothing. GUI thread.
class window_destruction_watch final : public QObject, public QAbstractNativeEventFilter {
  Q_OBJECT
 public:
  // `window` must be shown (its native window made) and outlive this.
  explicit window_destruction_watch(QWidget& window);
  ~window_destruction_watch() override;

  bool nativeEventFilter(const QByteArray& event_type, void* message, qintptr* result) override;

 signals:
  void destroyed_from_outside();

 private:
  WId window_;
  bool destroyed_ = false;
};

// Quits the application once `window`, shown, is destroyed from outside. The
// watch lives as long as the window.
MAPPLOT_INTERNAL_API void quit_when_destroyed_from_outside(QWidget& window);

}  // namespace mapplot
