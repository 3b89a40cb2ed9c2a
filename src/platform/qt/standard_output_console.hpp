#pragma once

#include <atomic>
#include <mapplot/console.hpp>

namespace mapplot {

// Console lines to standard output for a program run off screen, a line at a
// time. A reader that has gone away (EPIPE: `program | head -1`) cancels the
// program, since nobody reads what it would go on to write.
class standard_output_console final : public console_sink {
 public:
  void write_line(std::string_view line) override;
  std::size_t line_width() const override;

  // The errno of the first line that could not be written, 0 while all were.
  int error() const { return error_.load(); }

 private:
  std::atomic<int> error_{0};
};

}  // namespace mapplot
