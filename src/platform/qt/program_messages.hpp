#pragma once

#include <string>
#include <string_view>

#include "internal_api.hpp"

namespace mapplot {

// The running program's own messages on standard error, each one line
// beginning with its name.
MAPPLOT_INTERNAL_API void set_program_name(std::string_view name);
const std::string& program_name();

// "<program>: <message>", after whatever standard output still holds.
MAPPLOT_INTERNAL_API void print_on_standard_error(std::string_view message);

// `status`, made a failure (and said so on standard error) when console lines
// could not be written to standard output. `console_error` is the errno of a
// console of the layer's own that writes there, 0 when it met none.
MAPPLOT_INTERNAL_API int checked_standard_output(int status, int console_error = 0);

}  // namespace mapplot
