#include "platform/window_system.hpp"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "platform/discarding_window_system.hpp"
#include "textout/write_console.hpp"

namespace mapplot {
namespace {

std::atomic<window_system*> installed_system{nullptr};
std::atomic<fatal_error_reporter> installed_reporter{nullptr};
// Held while a picture is read from the installed system, so that once
// install_window_system returns no reader still uses the system it replaced.
std::mutex picture_readers;

}  // namespace

window_system& current_window_system() {
  window_system* system = installed_system.load();
  if (system == nullptr) {
    // A library caller that never started the windowing layer: nothing is
    // drawn and nothing accumulates, and the console says so once.
    static discarding_window_system unattached;
    static std::once_flag said;
    std::call_once(said, [] {
      write_console({" Warning: no windowing layer is running, maps are not drawn"});
    });
    return unattached;
  }
  return *system;
}

void install_window_system(window_system* system) {
  std::scoped_lock lock(picture_readers);
  installed_system.store(system);
}

std::optional<window_picture> window_system::presented_picture(int) const {
  return std::nullopt;
}

std::optional<window_picture> presented_picture(int window_number) {
  std::scoped_lock lock(picture_readers);
  const window_system* system = installed_system.load();
  if (system == nullptr) return std::nullopt;
  return system->presented_picture(window_number);
}

void install_fatal_error_reporter(fatal_error_reporter reporter) {
  installed_reporter.store(reporter);
}

void fatal_error(std::string_view message) {
  if (fatal_error_reporter reporter = installed_reporter.load()) {
    reporter(message);
  } else {
    std::fprintf(stderr, "mapplot: fatal error: %.*s\n", static_cast<int>(message.size()),
                 message.data());
  }
  std::_Exit(EXIT_FAILURE);
}

}  // namespace mapplot
