#pragma once

#include <initializer_list>
#include <mapplot/console.hpp>

#include "textout/text_line.hpp"

namespace mapplot {

// Writes one output statement to the installed console, wrapped at the
// console's width by the text line rules.
void write_console(std::initializer_list<line_item> items);

}  // namespace mapplot
