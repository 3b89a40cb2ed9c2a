#include "platform/qt/window_console_sink.hpp"

#include "platform/qt/frame_window.hpp"

namespace mapplot {

window_console_sink::window_console_sink(frame_window& frame) : frame_(frame) {
  connect(this, &window_console_sink::line_written, &frame, &frame_window::append_line,
          Qt::QueuedConnection);
}

void window_console_sink::write_line(std::string_view line) {
  emit line_written(QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size())));
}

std::size_t window_console_sink::line_width() const {
  return frame_.characters_per_line();
}

}  // namespace mapplot
