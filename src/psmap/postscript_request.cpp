#include "psmap/postscript_request.hpp"

namespace mapplot {

std::string output_file_name(std::string_view file_name, const text_field& device) {
  const std::string_view name = strip_trailing_blanks(file_name);
  const std::string_view device_type = device.without_trailing_blanks();
  std::string result(file_name);
  if (name.size() >= 2 && name.ends_with("ps") && device_type != "ps") {
    result = name.substr(0, name.size() - 2);
    result += device_type;
  }
  return result;
}

std::string device_name(std::string_view file_name, const text_field& device) {
  std::string name(file_name);
  if (name.size() < text_field_length) name.resize(text_field_length, ' ');
  name += '/';
  name += device.trimmed();
  return name;
}

postscript_fields resolve_postscript_fields(const postscript_options& options) {
  postscript_fields fields{
      .logscale = options.logscale.value_or(false),
      .xlabel = resolve_trimmed(options.xlabel, default_xlabel),
      .ylabel = resolve_trimmed(options.ylabel, default_ylabel),
      .title = resolve_verbatim(options.title, default_title),
      .file_name = std::string(options.filename.value_or(default_plot_file_name)),
      .device = resolve_verbatim(options.device, default_device_type),
  };
  fields.file_name = output_file_name(fields.file_name, fields.device);
  if (fields.logscale) fields.title = logarithmic_title(fields.title);
  return fields;
}

}  // namespace mapplot
