#include "platform/qt/session_layer.hpp"

#include <QApplication>
#include <QThread>
#include <stdexcept>
#include <utility>

#include "platform/cancellation.hpp"
#include "platform/qt/session_window_system.hpp"
#include "platform/served/served_windows.hpp"

namespace mapplot {
namespace {

// Workers may still hold it when a session ends, so it is never destroyed
// before the process ends.
session_window_system& installed_gateway() {
  static session_window_system gateway;
  return gateway;
}

}  // namespace

session_layer_claim::session_layer_claim() {
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr)
    throw std::logic_error("screen_session: create the QApplication first");
  if (QThread::currentThread() != qApp->thread())
    throw std::logic_error("screen_session: create it on the QApplication's thread");
  if (!claim_windowing_layer())
    throw std::logic_error("screen_session: a windowing layer is already running");
}

session_layer::session_layer(screen_session::console_callback console, display_mode mode)
    : system_(mode) {
  reset_cancellation();
  if (mode == display_mode::on_screen)
    views_.emplace(system_, nullptr, graphics_window_closing::ends_its_drawing);
  // MAPPLOT_SERVE serves the session's windows too; a session has no end to
  // wait at, so nothing is closed from the page.
  served_ = serve_windows_if_asked(
      system_, {.close_requested = {}, .viewers_changed = {}, .pause_changed = [this] {
                  if (!views_) return;
                  QMetaObject::invokeMethod(
                      &*views_, [this] { views_->show_pause_state(); }, Qt::QueuedConnection);
                }});
  if (console) console_.emplace(std::move(console));
  replaced_sink_ = install_console_sink(console_ ? &*console_ : nullptr);
  installed_gateway().attach(system_);
  install_window_system(&installed_gateway());
}

session_layer::~session_layer() {
  // A call still drawing or waiting gives up first, so that nothing uses
  // the system once it is detached.
  installed_gateway().detach();
  install_window_system(nullptr);
  install_console_sink(replaced_sink_);
  // Nothing presents frames any more; the served windows go before the
  // windows whose pause they show.
  served_.reset();
  views_.reset();
}

graphics_view* session_layer::graphics_window(int number) const {
  return views_ ? views_->graphics_window(number) : nullptr;
}

}  // namespace mapplot
