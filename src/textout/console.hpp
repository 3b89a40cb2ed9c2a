#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

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
// Returns the sink installed before (nullptr for standard output).
console_sink* install_console_sink(console_sink* sink);

// Writes one output statement to the console, wrapped at the console's width.
void write_console(std::initializer_list<line_item> items);

// Collects the console lines written while it lives instead of showing them,
// then puts back the console it replaced: for callers that want the messages
// of a map operation, and for tests.
class console_capture final : public console_sink {
 public:
  explicit console_capture(std::size_t width = file_line_width)
      : width_(width), replaced_(install_console_sink(this)) {}
  ~console_capture() override { install_console_sink(replaced_); }
  console_capture(const console_capture&) = delete;
  console_capture& operator=(const console_capture&) = delete;

  void write_line(std::string_view line) override { lines.emplace_back(line); }
  std::size_t line_width() const override { return width_; }

  std::vector<std::string> lines;

 private:
  std::size_t width_;
  console_sink* replaced_;
};

}  // namespace mapplot
