#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The PGPLOT routines the PostScript map uses, one function each, named after
// the routine. Only pgplot_binding.cpp reaches the C binding, so tests can
// link a recording implementation in its place.
namespace mapplot::pgplot {

// Image transformation in PGIMAG's order: world x = tr[0] + tr[1] j + tr[2] i,
// world y = tr[3] + tr[4] j + tr[5] i.
using transform = std::array<float, 6>;

// PGQNDT and PGQDT: the device types this PGPLOT offers, without their
// leading "/", upper case as PGPLOT lists them ("PS", "VCPS", ...).
std::vector<std::string> device_types();

// PGBEG: the status, 1 when the device was opened.
int begin(int unit, std::string_view device_name, int panels_x, int panels_y);
void scf(int font);
void slw(int line_width);
void svp(float x_left, float x_right, float y_bottom, float y_top);
void wnad(float x1, float x2, float y1, float y2);
void bbuf();
// The four ramp arrays must have the same length.
void ctab(std::span<const float> levels, std::span<const float> red, std::span<const float> green,
          std::span<const float> blue, float contrast, float brightness);
// `grid` is a dimension_x by dimension_y array, first index fastest, of
// which PGIMAG reads only the cells first_x..last_x, first_y..last_y: it
// must hold (last_y - 1) * dimension_x + last_x values at least.
void imag(std::span<const float> grid, int dimension_x, int dimension_y, int first_x, int last_x,
          int first_y, int last_y, float black_value, float white_value, const transform& tr);
void ebuf();
void sci(int colour_index);
void sls(int line_style);
// `x` and `y` must have the same length.
void line(std::span<const float> x, std::span<const float> y);
void box(std::string_view x_options, float x_tick, int x_subdivisions, std::string_view y_options,
         float y_tick, int y_subdivisions);
void sch(float character_height);
void wedg(std::string_view side, float displacement, float width, float foreground_value,
          float background_value, std::string_view units_label);
void label(std::string_view x_label, std::string_view y_label, std::string_view title);
void end();

}  // namespace mapplot::pgplot
