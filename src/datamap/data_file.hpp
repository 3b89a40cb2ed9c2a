#pragma once

#include <mapplot/map_request.hpp>
#include <span>
#include <string_view>

namespace mapplot {

// Writes the data file of a map request straight from the caller's arrays:
// double-precision values are rounded to single precision one by one as
// they are written, and nothing is copied. `title_default` is the title when
// none is given. All four overloads of data_map come here.
template <class Real>
void write_data_file(std::span<const Real> x, std::span<const Real> y, std::span<const Real> z,
                     const data_options& options, std::string_view title_default);

}  // namespace mapplot
