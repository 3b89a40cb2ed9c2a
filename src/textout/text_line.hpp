#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "internal_api.hpp"

namespace mapplot {

// One item of an output statement: an integer (12-character field), a
// single-precision real (15-character field) or a text written unchanged.
using line_item = std::variant<std::int32_t, float, std::string_view>;

inline constexpr std::size_t file_line_width = 80;

// Assembles one output statement into lines of at most `width` characters:
// items follow one another without separators; a text starting a line gets one
// blank before it; a number that does not fit starts a new line; a text that
// does not fit ends the line in progress and is written in pieces of at most
// width - 1 characters, each on a line of its own after one blank; a piece
// ends before a UTF-8 character that would not fit whole.
// Returns the lines without line ends; an empty statement gives one empty line.
MAPPLOT_INTERNAL_API std::vector<std::string> assemble_lines(std::initializer_list<line_item> items,
                                                             std::size_t width);

}  // namespace mapplot
