#include <QApplication>
#include <QThread>
#include <mapplot/console.hpp>
#include <mapplot/screen_session.hpp>
#include <optional>
#include <stdexcept>
#include <utility>

#include "platform/cancellation.hpp"
#include "platform/qt/qt_window_system.hpp"
#include "platform/qt/session_window_system.hpp"
#include "platform/qt/window_views.hpp"
#include "platform/qt/windowing_layer_claim.hpp"
#include "platform/served/served_windows.hpp"
#include "textout/text_line.hpp"

namespace mapplot {
namespace {

// Console lines to the caller's callback, wrapped like lines to standard
// output.
class callback_console final : public console_sink {
 public:
  explicit callback_console(screen_session::console_callback callback)
      : callback_(std::move(callback)) {}
  void write_line(std::string_view line) override { callback_(line); }
  std::size_t line_width() const override { return file_line_width; }

 private:
  screen_session::console_callback callback_;
};

// Workers may still hold it when a session ends, so it is never destroyed
// before the process ends.
session_window_system& installed_gateway() {
  static session_window_system gateway;
  return gateway;
}

bool application_runs_off_screen() {
  return QGuiApplication::platformName() == QStringLiteral("offscreen") ||
         QGuiApplication::platformName() == QStringLiteral("minimal");
}

// Claims the layer for the session's life; checked before anything is made.
class layer_claim {
 public:
  layer_claim() {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr)
      throw std::logic_error("screen_session: create the QApplication first");
    if (QThread::currentThread() != qApp->thread())
      throw std::logic_error("screen_session: create it on the QApplication's thread");
    if (!claim_windowing_layer())
      throw std::logic_error("screen_session: a windowing layer is already running");
  }
  ~layer_claim() { release_windowing_layer(); }
  layer_claim(const layer_claim&) = delete;
  layer_claim& operator=(const layer_claim&) = delete;
};

}  // namespace

struct screen_session::layer {
  // Members are destroyed in reverse: the views (the windows) close before
  // the system they show goes, and the claim is given back last.
  layer_claim claim;
  qt_window_system system{application_runs_off_screen() ? display_mode::off_screen
                                                        : display_mode::on_screen};
  std::optional<window_views> views;
  std::optional<callback_console> console;
  console_sink* replaced_sink = nullptr;
  // Last, so that it goes first: it reads the system's canvases.
  std::unique_ptr<served_windows> served;
};

screen_session::screen_session(console_callback console) : layer_(std::make_unique<layer>()) {
  reset_cancellation();
  // MAPPLOT_SERVE serves the session's windows too; a session has no end to
  // wait at, so nothing can be closed from the page.
  if (layer_->system.mode() == display_mode::on_screen)
    layer_->views.emplace(layer_->system, nullptr);
  layer* shown = layer_.get();
  layer_->served = serve_windows_if_asked(
      layer_->system, {.close_requested = {}, .viewers_changed = {}, .pause_changed = [shown] {
                         if (!shown->views) return;
                         QMetaObject::invokeMethod(
                             &*shown->views, [shown] { shown->views->show_pause_state(); },
                             Qt::QueuedConnection);
                       }});
  if (console) layer_->console.emplace(std::move(console));
  layer_->replaced_sink = install_console_sink(layer_->console ? &*layer_->console : nullptr);
  installed_gateway().attach(layer_->system);
  install_window_system(&installed_gateway());
}

screen_session::~screen_session() {
  // A call still drawing or waiting gives up first, so that nothing uses
  // the system once it is detached.
  installed_gateway().detach();
  install_window_system(nullptr);
  install_console_sink(layer_->replaced_sink);
  layer_->views.reset();
}

}  // namespace mapplot
