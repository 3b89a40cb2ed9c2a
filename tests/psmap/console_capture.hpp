#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "textout/console.hpp"

namespace mapplot {

// Collects console lines while it lives.
class console_capture final : public console_sink {
 public:
  console_capture() { install_console_sink(this); }
  ~console_capture() override { install_console_sink(nullptr); }
  console_capture(const console_capture&) = delete;
  console_capture& operator=(const console_capture&) = delete;

  void write_line(std::string_view line) override { lines.emplace_back(line); }
  // Wide enough that no line of these tests wraps.
  std::size_t line_width() const override { return 1000; }

  std::vector<std::string> lines;
};

}  // namespace mapplot
