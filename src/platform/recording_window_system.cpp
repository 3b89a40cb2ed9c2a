#include "platform/recording_window_system.hpp"

#include <charconv>

namespace mapplot {
namespace {

void append_argument(std::string& call, int value) {
  call += ' ' + std::to_string(value);
}
void append_argument(std::string& call, std::size_t value) {
  call += ' ' + std::to_string(value);
}
void append_argument(std::string& call, bool value) {
  call += value ? " true" : " false";
}
void append_argument(std::string& call, rectangle_style style) {
  call += style == rectangle_style::filled ? " filled" : " outline";
}
void append_argument(std::string& call, double value) {
  // As "%.17g" writes it, but never with the locale's decimal point.
  char text[32];
  const auto end =
      std::to_chars(text, text + sizeof text, value, std::chars_format::general, 17).ptr;
  call += ' ';
  call.append(text, static_cast<std::size_t>(end - text));
}
void append_argument(std::string& call, std::string_view text) {
  call += " \"";
  call += text;
  call += '"';
}
// Words are written bare, so that a logged map reads like the other calls.
void append_argument(std::string& call, const char* word) {
  call += ' ';
  call += word;
}

}  // namespace

template <class... Arguments>
void recording_window_system::record(std::string_view operation, const Arguments&... arguments) {
  std::string call(operation);
  (append_argument(call, arguments), ...);
  calls.push_back(std::move(call));
}

void recording_window_system::open_graphics_window(int number, std::string_view title) {
  record("open_graphics_window", number, title);
}
void recording_window_system::focus_graphics_window(int number) {
  record("focus_graphics_window", number);
}
void recording_window_system::clear_window() {
  record("clear_window");
}
void recording_window_system::set_color_index(int palette_index) {
  record("set_color_index", palette_index);
}
void recording_window_system::draw_rectangle(rectangle_style style, int x1, int y1, int x2,
                                             int y2) {
  record("draw_rectangle", style, x1, y1, x2, y2);
}
void recording_window_system::set_viewport(int x1, int y1, int x2, int y2) {
  record("set_viewport", x1, y1, x2, y2);
}
void recording_window_system::set_world_window(bool y_upwards, double x1, double y1, double x2,
                                               double y2) {
  record("set_world_window", y_upwards, x1, y1, x2, y2);
}
void recording_window_system::set_color_rgb(int red, int green, int blue) {
  record("set_color_rgb", red, green, blue);
}
void recording_window_system::draw_rectangle_world(rectangle_style style, double x1, double y1,
                                                   double x2, double y2) {
  record("draw_rectangle_world", style, x1, y1, x2, y2);
}
void recording_window_system::wait_for_enter() {
  record("wait_for_enter");
}
void recording_window_system::reset_window_mode() {
  record("reset_window_mode");
}
void recording_window_system::set_font(std::string_view option_text) {
  record("set_font", option_text);
}
void recording_window_system::set_text_color_index(int palette_index) {
  record("set_text_color_index", palette_index);
}
void recording_window_system::init_fonts() {
  record("init_fonts");
}
void recording_window_system::move_to_world(double x, double y) {
  record("move_to_world", x, y);
}
void recording_window_system::draw_text(std::string_view text) {
  record("draw_text", text);
}
void recording_window_system::draw_map(std::shared_ptr<const map_data> map) {
  if (!map) {
    record("draw_map");
  } else {
    const char* precision =
        std::holds_alternative<map_values<float>>(map->values) ? "float" : "double";
    const char* scale = map->logscale ? "logarithmic" : "linear";
    record("draw_map", map->column_count(), map->row_count(), precision, map->zmin, map->zmax,
           scale);
  }
  maps.push_back(std::move(map));
}
void recording_window_system::present_frame() {
  record("present_frame");
}

}  // namespace mapplot
