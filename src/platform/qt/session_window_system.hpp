#pragma once

#include <shared_mutex>

#include "platform/window_system.hpp"

namespace mapplot {

class qt_window_system;

// What a screen_session installs: every operation goes to the session's Qt
// window system while it is attached. A worker may still hold this object
// when the session ends, so it outlives sessions; once detached, every
// operation throws program_cancelled instead of reaching a destroyed system.
// It has no console to wait on.
class session_window_system final : public window_system {
 public:
  // GUI thread: `system` receives the operations until detach().
  void attach(qt_window_system& system);
  // GUI thread: cancels the attached system, waits for the operation in
  // progress to give up, and detaches it.
  void detach();

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
  std::optional<window_picture> presented_picture(int number) const override;
  bool has_console() const override { return false; }

 private:
  // Runs `operation` on the attached system, holding it attached meanwhile.
  template <class Operation>
  void forward(Operation&& operation);

  mutable std::shared_mutex attachment_;
  qt_window_system* system_ = nullptr;  // guarded by attachment_
};

}  // namespace mapplot
