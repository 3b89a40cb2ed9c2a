#include "platform/qt/window_destruction_watch.hpp"

#include <QCoreApplication>
#include <cstdint>
#include <cstring>

namespace mapplot {
namespace {

// The X11 DestroyNotify event as it comes off the wire (the core protocol's
// fixed 32-byte layout), as Qt's xcb platform hands events to filters.
constexpr std::uint8_t destroy_notify = 17;
struct destroy_notify_event {
  std::uint8_t response_type;  // the high bit marks a synthetic event
  std::uint8_t unused;
  std::uint16_t sequence;
  std::uint32_t event_window;
  std::uint32_t destroyed_window;
};

}  // namespace

window_destruction_watch::window_destruction_watch(QWidget& window) : window_(window.winId()) {
  QCoreApplication::instance()->installNativeEventFilter(this);
}

window_destruction_watch::~window_destruction_watch() {
  QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool window_destruction_watch::nativeEventFilter(const QByteArray& event_type, void* message,
                                                 qintptr*) {
  if (destroyed_ || event_type != "xcb_generic_event_t" || message == nullptr) return false;
  destroy_notify_event event{};
  std::memcpy(&event, message, sizeof event);
  if ((event.response_type & 0x7f) != destroy_notify || event.destroyed_window != window_)
    return false;
  destroyed_ = true;
  emit destroyed_from_outside();
  return false;
}

void quit_when_destroyed_from_outside(QWidget& window) {
  auto* watch = new window_destruction_watch(window);
  watch->setParent(&window);
  QObject::connect(watch, &window_destruction_watch::destroyed_from_outside,
                   QCoreApplication::instance(), &QCoreApplication::quit);
}

}  // namespace mapplot
