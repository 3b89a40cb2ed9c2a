#include "platform/window_system.hpp"

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace mapplot {
namespace {

std::atomic<window_system*> installed_system{nullptr};
std::atomic<fatal_error_reporter> installed_reporter{nullptr};

// What a library caller that never started the windowing layer draws into:
// every operation is accepted and forgotten, so nothing accumulates.
class discarding_window_system final : public window_system {
 public:
  void open_graphics_window(int, std::string_view) override {}
  void focus_graphics_window(int) override {}
  void clear_window() override {}
  void set_color_index(int) override {}
  void draw_rectangle(rectangle_style, int, int, int, int) override {}
  void set_viewport(int, int, int, int) override {}
  void set_world_window(bool, double, double, double, double) override {}
  void set_color_rgb(int, int, int) override {}
  void draw_rectangle_world(rectangle_style, double, double, double, double) override {}
  void wait_for_enter() override {}
  void reset_window_mode() override {}
  void set_font(std::string_view) override {}
  void set_text_color_index(int) override {}
  void init_fonts() override {}
  void move_to_world(double, double) override {}
  void draw_text(std::string_view) override {}
};

}  // namespace

window_system& current_window_system() {
  window_system* system = installed_system.load();
  if (system == nullptr) {
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
