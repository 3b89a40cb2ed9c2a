#pragma once

#include "platform/window_system.hpp"

namespace mapplot {

// Accepts every operation and forgets it: what a library caller that never
// started the windowing layer draws into, and a base for benchmarks and tests
// that watch only a few operations.
class discarding_window_system : public window_system {
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
  void draw_map(std::shared_ptr<const map_data>) override {}
  void present_frame() override {}
};

}  // namespace mapplot
