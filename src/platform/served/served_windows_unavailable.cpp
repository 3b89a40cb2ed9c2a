// Built when Qt's HttpServer or WebSockets module is missing: a program that
// asks to serve its windows is told why it cannot.
#include <stdexcept>

#include "platform/served/served_windows.hpp"

namespace mapplot {

struct served_windows::server_thread {};

served_windows::served_windows(qt_window_system&, const served_address&, std::string,
                               served_hooks) {
  throw serving_failure("this build of mapplot cannot serve windows");
}

served_windows::~served_windows() = default;

void served_windows::program_finished(bool) {}

std::unique_ptr<served_windows> serve_windows_if_asked(qt_window_system&, served_hooks) {
  const parsed_served_address asked = served_address_from_environment();
  if (!asked.error.empty()) throw serving_failure(asked.error);
  if (!asked.address) return nullptr;
  throw serving_failure(
      "cannot serve the windows (MAPPLOT_SERVE): this build of mapplot lacks Qt's HttpServer and "
      "WebSockets modules (Debian: qt6-httpserver-dev, qt6-websockets-dev)");
}

}  // namespace mapplot
