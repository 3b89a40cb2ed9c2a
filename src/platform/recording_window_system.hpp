#pragma once

#include <string>
#include <vector>

#include "platform/window_system.hpp"

namespace mapplot {

// Logs every operation with its arguments, one text per call, for tests:
// "draw_rectangle_world filled 0 0 0.5 0.5". Reals are written with %.17g so
// that a log compares exactly. wait_for_enter returns at once. A map is logged
// with its size, precision, grey range and scale, "draw_map 3 2 double 0 5
// linear", and kept whole in `maps`.
class recording_window_system final : public window_system {
 public:
  std::vector<std::string> calls;
  std::vector<std::shared_ptr<const map_data>> maps;  // one per draw_map, in order

  void open_graphics_window(int number, std::string_view title) override;
  void focus_graphics_window(int number) override;
  void clear_window() override;
  void set_color_index(int palette_index) override;
  void draw_rectangle(rectangle_style style, int x1, int y1, int x2, int y2) override;
  void set_viewport(int x1, int y1, int x2, int y2) override;
  void set_world_window(bool y_upwards, double x1, double y1, double x2, double y2) override;
  void set_color_rgb(int red, int green, int blue) override;
  void draw_rectangle_world(rectangle_style style, double x1, double y1, double x2,
                            double y2) override;
  void wait_for_enter() override;
  void reset_window_mode() override;
  void set_font(std::string_view option_text) override;
  void set_text_color_index(int palette_index) override;
  void init_fonts() override;
  void move_to_world(double x, double y) override;
  void draw_text(std::string_view text) override;
  void draw_map(std::shared_ptr<const map_data> map) override;
  void present_frame() override;

 private:
  template <class... Arguments>
  void record(std::string_view operation, const Arguments&... arguments);
};

}  // namespace mapplot
