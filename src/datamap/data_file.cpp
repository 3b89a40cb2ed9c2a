#include "datamap/data_file.hpp"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>

#include "request/console_warnings.hpp"
#include "request/grid_size.hpp"
#include "request/logarithm.hpp"
#include "request/output_file.hpp"
#include "request/text_field.hpp"
#include "textout/integer_field.hpp"
#include "textout/real_field.hpp"
#include "textout/text_line.hpp"
#include "textout/write_console.hpp"

namespace mapplot {
namespace {

constexpr std::string_view line_end = "\r\n";

// Counts beyond the 4-byte range are still written whole rather than wrapped
// into a wrong number; the field then grows past its 12 characters.
void append_count_field(std::string& out, std::size_t count) {
  if (count <= static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
    append_integer_field(out, static_cast<std::int32_t>(count));
    return;
  }
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, count).ptr;
  const auto length = static_cast<std::size_t>(end - digits);
  if (length < integer_field_width) out.append(integer_field_width - length, ' ');
  out.append(digits, length);
}

// Each value rounded to single precision first: the logarithm under
// logscale is that of the value as the file would hold it.
template <class Real>
void write_value_line(char* line, Real value, bool logscale) {
  const float single = static_cast<float>(value);
  write_real_field(line, logscale ? extended_log10(single) : single);
  line_end.copy(line + real_field_width, line_end.size());
}

template <class Real>
void write_real_lines(output_file& file, std::span<const Real> values, bool logscale) {
  char line[real_field_width + line_end.size()];
  for (const Real value : values) {
    write_value_line(line, value, logscale);
    file.write({line, sizeof line});
  }
}

// A carriage return, line feed or other control character inside a label
// would break the file's last three lines apart; it is written as a blank.
void append_text_lines(std::string& out, const text_field& field) {
  text_field shown = field;
  std::replace_if(
      shown.characters.begin(), shown.characters.end(),
      [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; }, ' ');
  for (const auto& line : assemble_lines({shown.without_trailing_blanks()}, file_line_width)) {
    out += line;
    out += line_end;
  }
}

template <class Real>
void append_lines_of(std::string& out, std::span<const Real> values, bool logscale) {
  const std::size_t start = out.size();
  out.resize(start + values.size() * data_value_line_size);
  char* line = out.data() + start;
  for (const Real value : values) {
    write_value_line(line, value, logscale);
    line += data_value_line_size;
  }
}

}  // namespace

template <class Real>
void write_data_file(std::span<const Real> x, std::span<const Real> y, std::span<const Real> z,
                     const data_options& options, std::string_view title_default) {
  // File names are used whole, never cut to a text field's 80 characters.
  const std::string_view file_name =
      strip_blanks(options.filename.value_or(default_data_file_name));
  if (file_name.empty()) throw std::invalid_argument("data_map: the data file name is blank");
  output_file::check_name(file_name, "data file");
  checked_cell_count(x.size(), y.size());

  const bool logscale = options.logscale.value_or(false);
  const std::string texts = data_file_texts(options, title_default);

  if (!fills_grid(x.size(), y.size(), z.size())) write_console({incompatible_sizes_warning});

  output_file file(file_name, "data file", output_file::writer::this_process);
  file.write(data_file_header(x.size(), y.size()));
  write_real_lines(file, x, false);
  write_real_lines(file, y, false);
  write_real_lines(file, z, logscale);
  file.write(texts);
  file.commit();

  write_console({std::string_view(" Output in "), file_name});
}

const std::size_t data_value_line_size = real_field_width + line_end.size();

std::string data_file_header(std::size_t nx, std::size_t ny) {
  std::string line;
  append_count_field(line, nx);
  append_count_field(line, ny);
  append_integer_field(line, 1);
  line += line_end;
  return line;
}

std::string data_file_texts(const data_options& options, std::string_view title_default) {
  const text_field xlabel = resolve_trimmed(options.xlabel, default_xlabel);
  const text_field ylabel = resolve_trimmed(options.ylabel, default_ylabel);
  text_field title = resolve_verbatim(options.title, title_default);
  if (options.logscale.value_or(false)) title = logarithmic_title(title);
  std::string texts;
  append_text_lines(texts, xlabel);
  append_text_lines(texts, ylabel);
  append_text_lines(texts, title);
  return texts;
}

void append_value_lines(std::string& out, std::span<const float> values, bool logscale) {
  append_lines_of(out, values, logscale);
}

void append_value_lines(std::string& out, std::span<const double> values, bool logscale) {
  append_lines_of(out, values, logscale);
}
template void write_data_file(std::span<const float>, std::span<const float>,
                              std::span<const float>, const data_options&, std::string_view);
template void write_data_file(std::span<const double>, std::span<const double>,
                              std::span<const double>, const data_options&, std::string_view);

}  // namespace mapplot
