#pragma once

#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QSocketNotifier>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

#include "platform/qt/frame_window.hpp"
#include "platform/qt/program_routine.hpp"
#include "platform/qt/qt_window_system.hpp"
#include "platform/qt/window_console_sink.hpp"
#include "platform/qt/window_views.hpp"

class QApplication;

namespace mapplot {

class served_windows;
class window_destruction_watch;

// A program run on screen, on the GUI thread: the frame window with its
// console, the windows, and the routine on a thread of its own, started once
// the frame window is up. When the routine returns, the frame window says so
// and asks whether to close, modal to the frame window alone, so that the
// last frame stays viewable in the graphics windows. Closing the frame
// window while the routine runs, or a cancelling signal, cancels it; the run
// ends once it has unwound.
class on_screen_run final : public QObject {
  Q_OBJECT
 public:
  on_screen_run(QApplication& application, const QString& application_name);
  ~on_screen_run() override;

  // Runs the event loop until the run is over; returns the exit status: 0
  // after the routine completed, a failure when it failed or was cancelled.
  int run(std::function<void()> program);

 signals:
  // From the routine's thread, as it ends.
  void routine_ended(mapplot::routine_end end);

 private:
  void start_routine();
  void take_routine_end(routine_end end);
  void ask_whether_to_close();
  void take_frame_closed();
  void take_cancellation();
  // A viewer of the served windows closed the program from the page.
  void take_page_close();
  // The first decision on the exit status stands; every event loop ends.
  void finish(int status);

  QApplication& application_;
  const QString application_name_;
  qt_window_system system_{display_mode::on_screen};
  frame_window frame_;
  window_views views_;
  window_console_sink console_;
  QSocketNotifier cancellation_watch_;
  std::unique_ptr<window_destruction_watch> frame_destruction_watch_;
  QPointer<QMessageBox> closing_question_;  // while it is asked
  std::function<void()> program_;
  std::thread worker_;
  bool routine_started_ = false;
  std::optional<routine_end> routine_end_;
  bool closed_while_running_ = false;
  std::optional<int> status_;
  // Last, so that it goes first: it reads the system's canvases.
  std::unique_ptr<served_windows> served_;
};

}  // namespace mapplot
