#include <string>

#include "psmap/pgplot_binding.hpp"
#include "recorded_pgplot.hpp"

namespace mapplot::recorded_pgplot {
namespace {
int begin_status = 1;
}

std::vector<call>& calls() {
  static std::vector<call> log;
  return log;
}

std::vector<std::string> routines() {
  std::vector<std::string> names;
  for (const call& entry : calls()) names.push_back(entry.routine);
  return names;
}

void set_begin_status(int status) {
  begin_status = status;
}

void reset() {
  calls().clear();
  begin_status = 1;
}

}  // namespace mapplot::recorded_pgplot

namespace mapplot::pgplot {
namespace {

using recorded_pgplot::calls;

void record(std::string routine, std::vector<double> numbers, std::vector<std::string> texts = {},
            std::vector<std::vector<float>> arrays = {}) {
  calls().push_back({std::move(routine), std::move(numbers), std::move(texts), std::move(arrays)});
}

std::vector<float> copy(std::span<const float> values) {
  return {values.begin(), values.end()};
}

}  // namespace

int begin(int unit, std::string_view device_name, int panels_x, int panels_y) {
  record("begin", {double(unit), double(panels_x), double(panels_y)}, {std::string(device_name)});
  return recorded_pgplot::begin_status;
}
void scf(int font) {
  record("scf", {double(font)});
}
void slw(int line_width) {
  record("slw", {double(line_width)});
}
void svp(float x_left, float x_right, float y_bottom, float y_top) {
  record("svp", {x_left, x_right, y_bottom, y_top});
}
void wnad(float x1, float x2, float y1, float y2) {
  record("wnad", {x1, x2, y1, y2});
}
void bbuf() {
  record("bbuf", {});
}
void ctab(std::span<const float> levels, std::span<const float> red, std::span<const float> green,
          std::span<const float> blue, float contrast, float brightness) {
  record("ctab", {double(levels.size()), contrast, brightness}, {},
         {copy(levels), copy(red), copy(green), copy(blue)});
}
void imag(std::span<const float> grid, int dimension_x, int dimension_y, int first_x, int last_x,
          int first_y, int last_y, float black_value, float white_value, const transform& tr) {
  record("imag",
         {double(dimension_x), double(dimension_y), double(first_x), double(last_x),
          double(first_y), double(last_y), black_value, white_value},
         {}, {copy(grid), copy(tr)});
}
void ebuf() {
  record("ebuf", {});
}
void sci(int colour_index) {
  record("sci", {double(colour_index)});
}
void sls(int line_style) {
  record("sls", {double(line_style)});
}
void line(std::span<const float> x, std::span<const float> y) {
  record("line", {double(x.size())}, {}, {copy(x), copy(y)});
}
void box(std::string_view x_options, float x_tick, int x_subdivisions, std::string_view y_options,
         float y_tick, int y_subdivisions) {
  record("box", {x_tick, double(x_subdivisions), y_tick, double(y_subdivisions)},
         {std::string(x_options), std::string(y_options)});
}
void sch(float character_height) {
  record("sch", {character_height});
}
void wedg(std::string_view side, float displacement, float width, float foreground_value,
          float background_value, std::string_view units_label) {
  record("wedg", {displacement, width, foreground_value, background_value},
         {std::string(side), std::string(units_label)});
}
void label(std::string_view x_label, std::string_view y_label, std::string_view title) {
  record("label", {}, {std::string(x_label), std::string(y_label), std::string(title)});
}
void end() {
  record("end", {});
}

}  // namespace mapplot::pgplot
