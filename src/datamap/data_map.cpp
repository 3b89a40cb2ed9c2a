#include <charconv>
#include <cstdint>
#include <limits>
#include <mapplot/data_map.hpp>
#include <stdexcept>
#include <string>

#include "datamap/replaced_file.hpp"
#include "request/grid_size.hpp"
#include "request/logarithm.hpp"
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

void write_header_line(replaced_file& file, std::size_t nx, std::size_t ny) {
  std::string line;
  append_count_field(line, nx);
  append_count_field(line, ny);
  append_integer_field(line, 1);
  file.write(line);
  file.write(line_end);
}

void write_real_lines(replaced_file& file, std::span<const float> values, bool logscale) {
  char line[real_field_width + line_end.size()];
  line_end.copy(line + real_field_width, line_end.size());
  for (const float value : values) {
    write_real_field(line, logscale ? extended_log10(value) : value);
    file.write({line, sizeof line});
  }
}

void write_text_lines(replaced_file& file, std::string_view text) {
  for (const auto& line : assemble_lines({text}, file_line_width)) {
    file.write(line);
    file.write(line_end);
  }
}

}  // namespace

void data_map(std::span<const float> x, std::span<const float> y, std::span<const float> z,
              const data_options& options) {
  // File names are used whole, never cut to a text field's 80 characters.
  const std::string_view file_name =
      strip_blanks(options.filename.value_or(default_data_file_name));
  if (file_name.empty()) throw std::invalid_argument("data_map: the data file name is blank");

  const bool logscale = options.logscale.value_or(false);
  const text_field xlabel = resolve_trimmed(options.xlabel, default_xlabel);
  const text_field ylabel = resolve_trimmed(options.ylabel, default_ylabel);
  text_field title = resolve_verbatim(options.title, default_title);
  if (logscale) title = logarithmic_title(title);

  if (!fills_grid(x.size(), y.size(), z.size()))
    write_console({std::string_view(" Warning: incompatible array sizes !!!")});

  replaced_file file{std::string(file_name)};
  write_header_line(file, x.size(), y.size());
  write_real_lines(file, x, false);
  write_real_lines(file, y, false);
  write_real_lines(file, z, logscale);
  write_text_lines(file, xlabel.without_trailing_blanks());
  write_text_lines(file, ylabel.without_trailing_blanks());
  write_text_lines(file, title.without_trailing_blanks());
  file.commit();

  write_console({std::string_view(" Output in "), file_name});
}

}  // namespace mapplot
