#include "platform/qt/window_console_sink.hpp"

#include <QMetaObject>

#include "platform/qt/frame_window.hpp"

namespace mapplot {

void window_console_sink::write_line(std::string_view line) {
  QString text = QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size()));
  frame_window* frame = &frame_;
  QMetaObject::invokeMethod(
      frame, [frame, text = std::move(text)] { frame->append_line(text); }, Qt::QueuedConnection);
}

std::size_t window_console_sink::line_width() const {
  return frame_.characters_per_line();
}

}  // namespace mapplot
