#pragma once

#include <mapplot/map_request.hpp>
#include <span>
#include <string>
#include <string_view>

#include "internal_api.hpp"

namespace mapplot {

// Writes the data file of a map request straight from the caller's arrays:
// double-precision values are rounded to single precision one by one as
// they are written, and nothing is copied. `title_default` is the title when
// none is given. All four overloads of data_map come here.
template <class Real>
void write_data_file(std::span<const Real> x, std::span<const Real> y, std::span<const Real> z,
                     const data_options& options, std::string_view title_default);

// The parts of a data file, for a writer that places them itself (the ranks
// of a parallel data file each write their own values at their offsets).
// The header line: nx, ny and 1 in integer fields.
MAPPLOT_INTERNAL_API std::string data_file_header(std::size_t nx, std::size_t ny);
// Each value on a line of its own, rounded to single precision first (and
// its logarithm taken of that under `logscale`); every line is
// data_value_line_size bytes.
MAPPLOT_INTERNAL_API void append_value_lines(std::string& out, std::span<const float> values,
                                             bool logscale);
MAPPLOT_INTERNAL_API void append_value_lines(std::string& out, std::span<const double> values,
                                             bool logscale);
// The x label, y label and title lines that end the file.
MAPPLOT_INTERNAL_API std::string data_file_texts(const data_options& options,
                                                 std::string_view title_default);
extern MAPPLOT_INTERNAL_API const std::size_t data_value_line_size;

}  // namespace mapplot
