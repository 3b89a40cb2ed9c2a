#pragma once

#include <QColor>
#include <QWidget>
#include <atomic>

#include "platform/qt/window_canvas.hpp"

class QLineEdit;
class QPlainTextEdit;
class QStackedWidget;

namespace mapplot {

class graphics_view;

// The application's frame window: the program's state in the title, the text
// console (read-only scrolling lines, or window 0's picture in their place)
// and the input line that wait_for_enter reads. GUI thread only, except
// characters_per_line.
class frame_window final : public QWidget {
  Q_OBJECT
 public:
  frame_window(const QString& application_name, window_canvas& console_canvas);

  // The title becomes "<application> — <state>", or "<application> — paused"
  // while a running program is paused.
  void set_program_state(const QString& state);
  void set_paused(bool paused);
  void append_line(const QString& line);
  void clear_text();
  void set_text_color(rgb_color color);
  void show_canvas();
  void show_text();
  void request_input_line();
  graphics_view& canvas_view() { return *canvas_view_; }

  // The narrowest the window may be made and still hold a console line.
  int narrowest_width() const;

  // The console's width in characters; safe from any thread.
  std::size_t characters_per_line() const { return characters_per_line_.load(); }

 signals:
  void input_line_entered();
  void closed();

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void take_input_line();
  void show_title();
  void measure_line_width();

  QString application_name_;
  QString program_state_;
  bool paused_ = false;
  QPlainTextEdit* text_ = nullptr;
  graphics_view* canvas_view_ = nullptr;
  QStackedWidget* stack_ = nullptr;
  QLineEdit* input_ = nullptr;
  QColor text_color_;
  std::atomic<std::size_t> characters_per_line_{80};
};

}  // namespace mapplot
