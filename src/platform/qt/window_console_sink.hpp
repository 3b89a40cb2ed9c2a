#pragma once

#include <mapplot/console.hpp>

namespace mapplot {

class frame_window;

// Console lines from any thread into the frame window's text console, queued
// to the GUI thread in the order they are written.
class window_console_sink final : public console_sink {
 public:
  explicit window_console_sink(frame_window& frame) : frame_(frame) {}

  void write_line(std::string_view line) override;
  std::size_t line_width() const override;

 private:
  frame_window& frame_;
};

}  // namespace mapplot
