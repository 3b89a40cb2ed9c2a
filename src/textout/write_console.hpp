#pragma once

#include <initializer_list>
#include <mapplot/console.hpp>

#include "internal_api.hpp"
#include "textout/text_line.hpp"

namespace mapplot {

// Writes one output statement to the installed console, wrapped at the
// console's width by the text line rules.
MAPPLOT_INTERNAL_API void write_console(std::initializer_list<line_item> items);

// The errno of the first console line that could not be written to standard
// output, 0 while every line has been written: for a program that must not
// end successfully with its output lost.
MAPPLOT_INTERNAL_API int standard_output_error();

}  // namespace mapplot
