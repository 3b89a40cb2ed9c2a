#include "platform/window_system.hpp"

#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "platform/discarding_window_system.hpp"

namespace mapplot {
namespace {

std::atomic<window_system*> installed_system{nullptr};
std::atomic<fatal_error_reporter> installed_reporter{nullptr};

}  // namespace

window_system& current_window_system() {
  window_system* system = installed_system.load();
  if (system == nullptr) {
    // A library caller that never started the windowing layer: nothing accumulates.
    static discarding_window_system unattached;
    return unattached;
  }
  return *system;
}

void install_window_system(window_system* system) {
  installed_system.store(system);
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
