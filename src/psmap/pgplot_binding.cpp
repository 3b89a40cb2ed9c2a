#include "psmap/pgplot_binding.hpp"

#include <cpgplot.h>

#include <algorithm>
#include <string>
#include <string_view>

namespace mapplot::pgplot {
namespace {

// The C binding wants terminated strings; a view need not be one.
std::string terminated(std::string_view text) {
  return std::string(text);
}

}  // namespace

std::vector<std::string> device_types() {
  int count = 0;
  cpgqndt(&count);
  std::vector<std::string> types;
  for (int n = 1; n <= count; ++n) {
    char type[32] = {};
    char description[96] = {};
    int type_length = sizeof type;
    int description_length = sizeof description;
    int interactive = 0;
    cpgqdt(n, type, &type_length, description, &description_length, &interactive);
    std::string_view name(type, static_cast<std::size_t>(std::clamp(type_length, 0, 31)));
    if (name.starts_with('/')) name.remove_prefix(1);
    if (!name.empty()) types.emplace_back(name);
  }
  return types;
}

int begin(int unit, std::string_view device_name, int panels_x, int panels_y) {
  return cpgbeg(unit, terminated(device_name).c_str(), panels_x, panels_y);
}

void scf(int font) {
  cpgscf(font);
}
void slw(int line_width) {
  cpgslw(line_width);
}
void svp(float x_left, float x_right, float y_bottom, float y_top) {
  cpgsvp(x_left, x_right, y_bottom, y_top);
}
void wnad(float x1, float x2, float y1, float y2) {
  cpgwnad(x1, x2, y1, y2);
}
void bbuf() {
  cpgbbuf();
}

void ctab(std::span<const float> levels, std::span<const float> red, std::span<const float> green,
          std::span<const float> blue, float contrast, float brightness) {
  cpgctab(levels.data(), red.data(), green.data(), blue.data(), static_cast<int>(levels.size()),
          contrast, brightness);
}

void imag(std::span<const float> grid, int dimension_x, int dimension_y, int first_x, int last_x,
          int first_y, int last_y, float black_value, float white_value, const transform& tr) {
  cpgimag(grid.data(), dimension_x, dimension_y, first_x, last_x, first_y, last_y, black_value,
          white_value, tr.data());
}

void ebuf() {
  cpgebuf();
}
void sci(int colour_index) {
  cpgsci(colour_index);
}
void sls(int line_style) {
  cpgsls(line_style);
}
void line(std::span<const float> x, std::span<const float> y) {
  cpgline(static_cast<int>(x.size()), x.data(), y.data());
}

void box(std::string_view x_options, float x_tick, int x_subdivisions, std::string_view y_options,
         float y_tick, int y_subdivisions) {
  cpgbox(terminated(x_options).c_str(), x_tick, x_subdivisions, terminated(y_options).c_str(),
         y_tick, y_subdivisions);
}

void sch(float character_height) {
  cpgsch(character_height);
}

void wedg(std::string_view side, float displacement, float width, float foreground_value,
          float background_value, std::string_view units_label) {
  cpgwedg(terminated(side).c_str(), displacement, width, foreground_value, background_value,
          terminated(units_label).c_str());
}

void label(std::string_view x_label, std::string_view y_label, std::string_view title) {
  cpglab(terminated(x_label).c_str(), terminated(y_label).c_str(), terminated(title).c_str());
}

void end() {
  cpgend();
}

}  // namespace mapplot::pgplot
