#pragma once

#include <initializer_list>
#include <string_view>

#include "textout/text_line.hpp"

namespace mapplot {

// Where console lines go: standard output unless the windowing layer has
// installed its console window.
class console_sink {
 public:
  virtual ~console_sink() = default;
  virtual void write_line(std::string_view line) = 0;
  // Characters per line; longer statements wrap by the text line rules.
  virtual std::size_t line_width() const = 0;
};

// Installs `sink` for all later console lines; nullptr restores standard output.
// The caller keeps ownership and must uninstall the sink before destroying it.
void install_console_sink(console_sink* sink);

// Writes one output statement to the console, wrapped at the console's width.
void write_console(std::initializer_list<line_item> items);

}  // namespace mapplot
