#include "screenmap/legend.hpp"

#include <algorithm>
#include <cmath>

#include "textout/generalised_number.hpp"

namespace mapplot {
namespace {

constexpr std::string_view min_prefix = "   min = ";
constexpr std::string_view max_prefix = "   max = ";

struct legend_pen {
  window_system& windows;
  double x;
  double y;
  double line_step;

  void write(std::string_view text, int lines_down) {
    y -= lines_down * line_step;
    windows.move_to_world(x, y);
    windows.draw_text(text);
  }
};

std::string figure_line(std::string_view prefix, double value, int digits) {
  std::string line(prefix);
  line += legend_number(value, digits);
  return line;
}

void write_group(legend_pen& pen, const text_field& label, double min, double max, int digits,
                 int lines_down) {
  pen.write(label.trimmed(), lines_down);
  pen.write(figure_line(min_prefix, min, digits), 1);
  pen.write(figure_line(max_prefix, max, digits), 1);
}

}  // namespace

int digit_count(double low, double high) {
  const double ratio = std::fabs(high - low) / std::max(std::fabs(low), std::fabs(high));
  if (ratio == 0 || !std::isfinite(ratio)) return 3;
  // Clamped while still a double so that no huge or tiny ratio overflows the int.
  const double digits = 2 - std::floor(std::log10(ratio));
  return static_cast<int>(std::max(std::min(digits, 16.0), 3.0));
}

std::string legend_number(double value, int digits) {
  return std::string(strip_blanks(generalised_number(value, digits)));
}

void draw_legend(window_system& windows, const legend_request& request,
                 double& previous_pixel_width) {
  if (request.update) {
    windows.set_color_rgb(0, 0, 0);
    windows.draw_rectangle_world(rectangle_style::filled,
                                 request.map_right_edge + 4 * previous_pixel_width, request.ymin,
                                 request.wx2, request.ymax);
  }
  windows.init_fonts();
  windows.set_font("t'modern'h14w9");
  windows.set_color_rgb(255, 255, 255);

  const double width = request.layout.width;
  const double height = request.layout.height;
  const double pixel_width = (request.wx2 - request.xmin) / (width - 7);
  const double pixel_height = (request.ymax - request.ymin) / (height - 7);
  previous_pixel_width = pixel_width;
  legend_pen pen{windows,
                 request.xmin + (request.wx2 - request.xmin) * height / width + 20 * pixel_width,
                 request.ymax, 20 * pixel_height};

  write_group(pen, request.texts.xlabel, request.xmin, request.xmax,
              digit_count(request.xmin, request.wx2), 1);
  write_group(pen, request.texts.ylabel, request.ymin, request.ymax,
              digit_count(request.ymin, request.ymax), 2);
  write_group(pen, request.texts.title, request.zmin, request.zmax,
              digit_count(request.zmin, request.zmax), 2);
}

}  // namespace mapplot
