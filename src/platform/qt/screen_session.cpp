#include <QGuiApplication>
#include <mapplot/screen_session.hpp>
#include <utility>

#include "platform/qt/session_layer.hpp"

namespace mapplot {
namespace {

bool application_runs_off_screen() {
  return QGuiApplication::platformName() == QStringLiteral("offscreen") ||
         QGuiApplication::platformName() == QStringLiteral("minimal");
}

}  // namespace

struct screen_session::layer : session_layer {
  using session_layer::session_layer;
};

screen_session::screen_session(console_callback console)
    : layer_(std::make_unique<layer>(std::move(console), application_runs_off_screen()
                                                             ? display_mode::off_screen
                                                             : display_mode::on_screen)) {}

screen_session::~screen_session() = default;

}  // namespace mapplot
