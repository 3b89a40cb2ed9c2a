#pragma once

#include <cstddef>
#include <mapplot/console.hpp>
#include <string>
#include <string_view>
#include <vector>

namespace mapplot {

// Collects the console lines written while it lives instead of showing them,
// then puts back the console it replaced: for tests, benchmarks and fuzz
// targets. Create and destroy captures in nested order.
class console_capture final : public console_sink {
 public:
  // `width`: the line width to wrap at; 80, as in a data file, by default.
  explicit console_capture(std::size_t width = 80)
      : width_(width), replaced_(install_console_sink(this)) {}
  ~console_capture() override { install_console_sink(replaced_); }
  console_capture(const console_capture&) = delete;
  console_capture& operator=(const console_capture&) = delete;

  void write_line(std::string_view line) override { lines.emplace_back(line); }
  std::size_t line_width() const override { return width_; }

  // The lines in the order they were written.
  std::vector<std::string> lines;

 private:
  std::size_t width_;
  console_sink* replaced_;
};

}  // namespace mapplot
