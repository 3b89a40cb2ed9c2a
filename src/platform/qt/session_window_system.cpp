#include "platform/qt/session_window_system.hpp"

#include <mutex>

#include "platform/cancellation.hpp"
#include "platform/qt/qt_window_system.hpp"

namespace mapplot {

void session_window_system::attach(qt_window_system& system) {
  std::unique_lock lock(attachment_);
  system_ = &system;
}

void session_window_system::detach() {
  qt_window_system* system = nullptr;
  {
    std::shared_lock lock(attachment_);
    system = system_;
  }
  if (system == nullptr) return;
  // Cancelling first ends a wait for a paint or the pace, which holds the
  // attachment; only then can it be taken away.
  system->cancel();
  std::unique_lock lock(attachment_);
  system_ = nullptr;
}

template <class Operation>
void session_window_system::forward(Operation&& operation) {
  std::shared_lock lock(attachment_);
  if (system_ == nullptr) throw program_cancelled();
  operation(*system_);
}

void session_window_system::open_graphics_window(int number, std::string_view title) {
  forward([&](qt_window_system& system) { system.open_graphics_window(number, title); });
}

void session_window_system::focus_graphics_window(int number) {
  forward([&](qt_window_system& system) { system.focus_graphics_window(number); });
}

void session_window_system::clear_window() {
  forward([&](qt_window_system& system) { system.clear_window(); });
}

void session_window_system::set_color_index(int palette_index) {
  forward([&](qt_window_system& system) { system.set_color_index(palette_index); });
}

void session_window_system::draw_rectangle(rectangle_style style, int x1, int y1, int x2, int y2) {
  forward([&](qt_window_system& system) { system.draw_rectangle(style, x1, y1, x2, y2); });
}

void session_window_system::set_viewport(int x1, int y1, int x2, int y2) {
  forward([&](qt_window_system& system) { system.set_viewport(x1, y1, x2, y2); });
}

void session_window_system::set_world_window(bool y_upwards, double x1, double y1, double x2,
                                             double y2) {
  forward([&](qt_window_system& system) { system.set_world_window(y_upwards, x1, y1, x2, y2); });
}

void session_window_system::set_color_rgb(int red, int green, int blue) {
  forward([&](qt_window_system& system) { system.set_color_rgb(red, green, blue); });
}

void session_window_system::draw_rectangle_world(rectangle_style style, double x1, double y1,
                                                 double x2, double y2) {
  forward([&](qt_window_system& system) { system.draw_rectangle_world(style, x1, y1, x2, y2); });
}

void session_window_system::wait_for_enter() {
  // screen_map refuses what would wait here; nothing else may block the
  // caller's worker on a console that does not exist.
  forward([](qt_window_system&) {});
}

void session_window_system::reset_window_mode() {
  forward([&](qt_window_system& system) { system.reset_window_mode(); });
}

void session_window_system::set_font(std::string_view option_text) {
  forward([&](qt_window_system& system) { system.set_font(option_text); });
}

void session_window_system::set_text_color_index(int palette_index) {
  forward([&](qt_window_system& system) { system.set_text_color_index(palette_index); });
}

void session_window_system::init_fonts() {
  forward([&](qt_window_system& system) { system.init_fonts(); });
}

void session_window_system::move_to_world(double x, double y) {
  forward([&](qt_window_system& system) { system.move_to_world(x, y); });
}

void session_window_system::draw_text(std::string_view text) {
  forward([&](qt_window_system& system) { system.draw_text(text); });
}

void session_window_system::draw_map(std::shared_ptr<const map_data> map) {
  forward([&](qt_window_system& system) { system.draw_map(std::move(map)); });
}

void session_window_system::present_frame() {
  forward([&](qt_window_system& system) { system.present_frame(); });
}

std::optional<window_picture> session_window_system::presented_picture(int number) const {
  std::shared_lock lock(attachment_);
  if (system_ == nullptr) return std::nullopt;
  return system_->presented_picture(number);
}

}  // namespace mapplot
