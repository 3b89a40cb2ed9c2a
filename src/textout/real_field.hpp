#pragma once

#include <string>

#include "internal_api.hpp"

namespace mapplot {

inline constexpr std::size_t real_field_width = 15;

// A single-precision value in 15 characters with 7 significant digits:
// fixed notation in 11 characters plus 4 blanks when the rounded magnitude
// lies in [0.1, 1e7), otherwise d.dddddddE+xx right-justified. Infinities and
// NaN are written as "Infinity", "-Infinity" and "NaN", right-justified.
// `out` must have room for real_field_width characters; nothing is terminated.
MAPPLOT_INTERNAL_API void write_real_field(char* out, float value);
void append_real_field(std::string& out, float value);
std::string real_field(float value);

}  // namespace mapplot
