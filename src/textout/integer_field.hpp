#pragma once

#include <cstdint>
#include <string>

#include "internal_api.hpp"

namespace mapplot {

inline constexpr std::size_t integer_field_width = 12;

// A 4-byte integer right-justified in 12 characters, "-" for negatives, no "+".
MAPPLOT_INTERNAL_API void append_integer_field(std::string& out, std::int32_t value);
std::string integer_field(std::int32_t value);

}  // namespace mapplot
