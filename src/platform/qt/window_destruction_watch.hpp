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
class MAPPLOT_INTERNAL_API window_destruction_watch final : public QObject,
                                                            public QAbstractNativeEventFilter {
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

}  // namespace mapplot
