#include <fstream>
#include <string>

#include "psmap/device_type.hpp"
#include "psmap/pgplot_binding.hpp"
#include "recorded_pgplot.hpp"

namespace mapplot::recorded_pgplot {
namespace {
int begin_status = 1;
std::optional<std::string> written_contents;
std::string open_file;  // the file the open device writes, empty for none
plot_output open_output = plot_output::nothing;
}  // namespace

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

void set_written_contents(std::optional<std::string> contents) {
  written_contents = std::move(contents);
}

const std::vector<std::string>& pgplot_device_list() {
  static const std::vector<std::string> list{
      "CANON",  "CGM",   "CGMD",   "CW6320", "GIF",  "VGIF",    "HPGL",    "VHPGL", "HPGL2",
      "HP7221", "LIPS2", "VLIPS2", "LATEX",  "NULL", "PGMF",    "PNG",     "TPNG",  "PS",
      "VPS",    "CPS",   "VCPS",   "QMS",    "VQMS", "TEK4010", "GF",      "RETRO", "GTERM",
      "XTERM",  "ZSTEM", "TK4100", "VMAC",   "WD",   "VWD",     "XWINDOW", "XSERVE"};
  return list;
}

void reset() {
  calls().clear();
  begin_status = 1;
  written_contents.reset();
  open_file.clear();
}

namespace {

// The smallest file of each format that the completeness check accepts.
std::string complete_file(plot_output output) {
  switch (output) {
    case plot_output::postscript:
      return "%!PS-Adobe-3.0\n%%Pages: 1\n%%EOF\n";
    case plot_output::latex:
      return "\\begin{picture}(1,1)\n\\end{picture}\n";
    case plot_output::png:
      return std::string("\x89PNG\r\n\x1a\n", 8) + std::string("\0\0\0\x0dIHDR", 8) +
             std::string(13 + 4, '\0') + std::string("\0\0\0\0IEND\xae\x42\x60\x82", 12);
    case plot_output::gif:
      return std::string("GIF89a\x01\0\x01\0\x80\0\0", 13) + std::string(6, '\0') +
             std::string("\x2c\0\0\0\0\x01\0\x01\0\0", 10) +
             std::string("\x02\x02\x44\x01\0\x3b", 6);
    case plot_output::nothing:
    case plot_output::screen:
      break;
  }
  return {};
}

}  // namespace
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

std::vector<std::string> device_types() {
  return recorded_pgplot::pgplot_device_list();
}

// PGPLOT's reading of the device name: the file before the last "/"
// without trailing blanks, the device type after it.
int begin(int unit, std::string_view device_name, int panels_x, int panels_y) {
  record("begin", {double(unit), double(panels_x), double(panels_y)}, {std::string(device_name)});
  recorded_pgplot::open_file.clear();
  if (recorded_pgplot::begin_status != 1) return recorded_pgplot::begin_status;
  const auto slash = device_name.rfind('/');
  if (slash != std::string_view::npos) {
    const std::string_view file = device_name.substr(0, slash);
    recorded_pgplot::open_file = file.substr(0, file.find_last_not_of(' ') + 1);
    recorded_pgplot::open_output =
        choose_device(device_name.substr(slash + 1), recorded_pgplot::pgplot_device_list()).output;
  }
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
  calls().back().grid = grid.data();
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
  if (recorded_pgplot::open_file.empty() || !writes_file(recorded_pgplot::open_output)) return;
  std::ofstream(recorded_pgplot::open_file, std::ios::binary)
      << recorded_pgplot::written_contents.value_or(
             recorded_pgplot::complete_file(recorded_pgplot::open_output));
  recorded_pgplot::open_file.clear();
}

}  // namespace mapplot::pgplot
