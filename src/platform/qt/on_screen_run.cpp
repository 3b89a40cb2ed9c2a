#include "platform/qt/on_screen_run.hpp"

#include <QApplication>
#include <QMessageBox>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <cstdlib>

#include "platform/cancellation.hpp"
#include "platform/qt/program_messages.hpp"
#include "platform/qt/screen_placement.hpp"
#include "platform/qt/window_destruction_watch.hpp"
#include "platform/served/served_windows.hpp"

namespace mapplot {
namespace {

// What the failure reporter, a plain function, needs.
std::atomic<frame_window*> shown_frame{nullptr};
std::atomic<bool> event_loop_running{false};

void report_on_screen(std::string_view message) {
  print_on_standard_error(message);
  const QString text = QString::fromUtf8(message.data(), static_cast<qsizetype>(message.size()));
  const auto show = [text] {
    QMessageBox::critical(shown_frame.load(), QString::fromStdString(program_name()), text);
  };
  if (QThread::currentThread() == qApp->thread()) {
    show();
  } else if (event_loop_running) {
    QMetaObject::invokeMethod(qApp, show, Qt::BlockingQueuedConnection);
  }
}

}  // namespace

on_screen_run::on_screen_run(QApplication& application, const QString& application_name)
    : application_(application),
      application_name_(application_name),
      frame_(application_name, system_.console_canvas()),
      views_(system_, &frame_),
      console_(frame_),
      cancellation_watch_(cancellation_descriptor(), QSocketNotifier::Read) {
  application_.setQuitOnLastWindowClosed(false);
  connect(&frame_, &frame_window::closed, this, &on_screen_run::take_frame_closed);
  connect(this, &on_screen_run::routine_ended, this, &on_screen_run::take_routine_end,
          Qt::QueuedConnection);
  connect(&cancellation_watch_, &QSocketNotifier::activated, this,
          &on_screen_run::take_cancellation);
  served_ = serve_windows_if_asked(
      system_, {.close_requested =
                    [this] {
                      QMetaObject::invokeMethod(
                          this, [this] { take_page_close(); }, Qt::QueuedConnection);
                    },
                .viewers_changed = {},
                .pause_changed =
                    [this] {
                      QMetaObject::invokeMethod(
                          this, [this] { views_.show_pause_state(); }, Qt::QueuedConnection);
                    }});
}

on_screen_run::~on_screen_run() {
  // Its answer comes no more once the run is over.
  delete closing_question_;
  // Whatever ended the event loop, the routine's thread is not left running.
  if (worker_.joinable()) {
    request_cancellation();
    system_.cancel();
    worker_.join();
  }
}

int on_screen_run::run(std::function<void()> program) {
  program_ = std::move(program);
  install_console_sink(&console_);
  install_window_system(&system_);
  shown_frame = &frame_;
  install_fatal_error_reporter(report_on_screen);

  place_frame_window(frame_, frame_.narrowest_width());
  frame_.show();
  // A frame window destroyed from outside counts as closed: nothing else
  // would end the run.
  frame_destruction_watch_ = std::make_unique<window_destruction_watch>(frame_);
  connect(frame_destruction_watch_.get(), &window_destruction_watch::destroyed_from_outside, this,
          &on_screen_run::take_frame_closed);
  // The routine starts once the event loop runs, so the frame window is up.
  QTimer::singleShot(0, this, &on_screen_run::start_routine);

  event_loop_running = true;
  const int loop_status = application_.exec();
  event_loop_running = false;
  if (worker_.joinable()) {
    // The loop ended under a routine that still runs: it unwinds first, and
    // the run is incomplete.
    request_cancellation();
    system_.cancel();
    worker_.join();
    if (!status_) status_ = EXIT_FAILURE;
  }
  install_fatal_error_reporter(nullptr);
  shown_frame = nullptr;
  install_window_system(nullptr);
  install_console_sink(nullptr);
  return checked_standard_output(status_.value_or(loop_status));
}

void on_screen_run::start_routine() {
  if (status_ || cancellation_requested()) {
    finish(EXIT_FAILURE);
    return;
  }
  routine_started_ = true;
  worker_ = std::thread(
      [this] { emit routine_ended(run_program_routine(program_, system_, report_on_screen)); });
}

void on_screen_run::take_routine_end(routine_end end) {
  worker_.join();
  routine_end_ = end;
  if (served_)
    served_->program_finished(end == routine_end::completed && !cancellation_requested());
  if (closed_while_running_) {
    print_on_standard_error("stopped: the frame window was closed before the program had finished");
  }
  if (end != routine_end::completed || cancellation_requested()) {
    finish(EXIT_FAILURE);
    return;
  }
  ask_whether_to_close();
}

void on_screen_run::ask_whether_to_close() {
  frame_.set_program_state(QStringLiteral("finished"));
  frame_.append_line(QStringLiteral(" The program has finished."));
  // Modal to the frame window alone and without an event loop of its own:
  // the graphics windows still answer hover, zoom and keys while it is asked.
  auto* question =
      new QMessageBox(QMessageBox::Question, application_name_,
                      QStringLiteral("%1 has finished. Close it?").arg(application_name_),
                      QMessageBox::Yes | QMessageBox::No, &frame_);
  question->setDefaultButton(QMessageBox::Yes);
  question->setWindowModality(Qt::WindowModal);
  question->setAttribute(Qt::WA_DeleteOnClose);
  closing_question_ = question;
  connect(question, &QMessageBox::finished, this, [this, question] {
    if (question->clickedButton() == question->button(QMessageBox::Yes)) finish(EXIT_SUCCESS);
  });
  question->open();
}

void on_screen_run::take_frame_closed() {
  if (routine_end_) {
    // After a complete run closing the window is as good as "yes".
    finish(*routine_end_ == routine_end::completed ? EXIT_SUCCESS : EXIT_FAILURE);
    return;
  }
  if (!routine_started_) {
    request_cancellation();
    finish(EXIT_FAILURE);
    return;
  }
  closed_while_running_ = true;
  request_cancellation();
}

void on_screen_run::take_page_close() {
  // Only a finished program is closed from the page; the closing question,
  // if it is being asked, goes with the event loop.
  if (!routine_end_) return;
  finish(*routine_end_ == routine_end::completed ? EXIT_SUCCESS : EXIT_FAILURE);
}

void on_screen_run::take_cancellation() {
  // The descriptor stays readable; once is enough.
  cancellation_watch_.setEnabled(false);
  system_.cancel();
  if (routine_end_ || !routine_started_) {
    finish(EXIT_FAILURE);
    return;
  }
  // A failure being reported would hold the routine's thread up.
  if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
}

void on_screen_run::finish(int status) {
  if (!status_) status_ = status;
  application_.exit(*status_);
}

}  // namespace mapplot
