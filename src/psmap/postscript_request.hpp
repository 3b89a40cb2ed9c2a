#pragma once

#include <mapplot/map_request.hpp>
#include <string>
#include <string_view>

#include "request/text_field.hpp"

namespace mapplot {

// The optional arguments of a PostScript map request after resolution. The
// file name is kept whole: unlike the other texts it is never cut to 80
// characters.
struct postscript_fields {
  bool logscale;
  text_field xlabel;
  text_field ylabel;
  text_field title;
  std::string file_name;
  text_field device;
};

// Defaults applied, labels trimmed, title, file name and device as given,
// the output-name rule applied and, with logscale, the title wrapped in "log(...)".
postscript_fields resolve_postscript_fields(const postscript_options& options);

// The output-name rule: a file name ending in "ps" (trailing blanks ignored)
// takes the device type in place of those two letters, unless the device
// field is exactly "ps". Everything else is kept as given.
std::string output_file_name(std::string_view file_name, const text_field& device);

// What PGBEG is given for a file: the file name blank padded to 80
// characters (a longer name whole), "/", and the device type without
// surrounding blanks.
std::string device_name(std::string_view file_name, const text_field& device);

}  // namespace mapplot
