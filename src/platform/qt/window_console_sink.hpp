#pragma once

#include <QObject>
#include <QString>
#include <mapplot/console.hpp>

namespace mapplot {

class frame_window;

// Console lines from any thread into the frame window's text console, queued
// to the GUI thread in the order they are written.
class window_console_sink final : public QObject, public console_sink {
  Q_OBJECT
 public:
  // `frame` must outlive this.
  explicit window_console_sink(frame_window& frame);

  void write_line(std::string_view line) override;
  std::size_t line_width() const override;

 signals:
  void line_written(const QString& line);

 private:
  const frame_window& frame_;
};

}  // namespace mapplot
