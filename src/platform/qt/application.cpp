#include <QApplication>
#include <QMessageBox>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <mapplot/application.hpp>
#include <mapplot/console.hpp>
#include <new>
#include <optional>
#include <string>
#include <thread>

#include "platform/qt/frame_window.hpp"
#include "platform/qt/qt_window_system.hpp"
#include "platform/qt/screen_placement.hpp"
#include "platform/qt/window_console_sink.hpp"
#include "platform/window_system.hpp"

namespace mapplot {
namespace {

// What the fatal error reporters need; they are plain functions.
std::string running_application = "mapplot";
std::atomic<frame_window*> shown_frame{nullptr};
std::atomic<bool> event_loop_running{false};
// Set as soon as a fatal error is being reported: if the event loop ends while
// the report waits for it, the process must still end with a failure status.
std::atomic<bool> fatal_error_reported{false};

bool runs_off_screen() {
  const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
  if (platform == "offscreen") return true;
  return qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

void print_on_standard_error(std::string_view message) {
  std::fflush(stdout);
  std::fprintf(stderr, "%s: %.*s\n", running_application.c_str(), static_cast<int>(message.size()),
               message.data());
  std::fflush(stderr);
}

void report_off_screen(std::string_view message) {
  fatal_error_reported = true;
  print_on_standard_error(message);
}

void report_on_screen(std::string_view message) {
  fatal_error_reported = true;
  print_on_standard_error(message);
  const QString text = QString::fromUtf8(message.data(), static_cast<qsizetype>(message.size()));
  const auto show = [text] {
    QMessageBox::critical(shown_frame.load(), QString::fromStdString(running_application), text);
  };
  if (QThread::currentThread() == qApp->thread()) {
    show();
  } else if (event_loop_running) {
    QMetaObject::invokeMethod(qApp, show, Qt::BlockingQueuedConnection);
  }
}

// The program's routine with every failure turned into the fatal error.
void run_routine(const std::function<void()>& program) {
  try {
    program();
  } catch (const std::bad_alloc&) {
    fatal_error("insufficient virtual memory");
  } catch (const std::exception& failure) {
    fatal_error(failure.what());
  } catch (...) {
    fatal_error("the program stopped on an unknown exception");
  }
}

// Each window's last picture as "<application>-window-<number>.png"; false
// when one could not be written.
bool save_pictures(const qt_window_system& system, std::string_view application_name) {
  bool all_saved = true;
  for (const int number : system.window_numbers()) {
    const QImage picture = system.presented_image(number);
    if (picture.isNull()) continue;
    const std::string name =
        std::string(application_name) + "-window-" + std::to_string(number) + ".png";
    if (picture.save(QString::fromStdString(name), "PNG")) {
      std::fprintf(stderr, "%s: picture of window %d saved as %s\n", running_application.c_str(),
                   number, name.c_str());
    } else {
      std::fprintf(stderr, "%s: could not save the picture of window %d as %s\n",
                   running_application.c_str(), number, name.c_str());
      all_saved = false;
    }
  }
  return all_saved;
}

int run_off_screen(const std::function<void()>& program, std::string_view application_name) {
  qt_window_system system(display_mode::off_screen);
  install_window_system(&system);
  install_fatal_error_reporter(report_off_screen);
  std::thread worker([&program, &system] {
    run_routine(program);
    system.present_unpresented();
  });
  worker.join();
  install_window_system(nullptr);
  std::fflush(stdout);
  return save_pictures(system, application_name) ? EXIT_SUCCESS : EXIT_FAILURE;
}

int run_on_screen(QApplication& application, const std::function<void()>& program,
                  const QString& application_name) {
  application.setQuitOnLastWindowClosed(false);
  qt_window_system system(display_mode::on_screen);
  frame_window frame(application_name, system.console_canvas());
  system.attach_frame_window(&frame);
  QObject::connect(&frame, &frame_window::input_line_entered, &system,
                   [&system] { system.deliver_input_line(); });
  QObject::connect(&frame, &frame_window::closed, &application,
                   [&application] { application.exit(EXIT_SUCCESS); });

  window_console_sink console(frame);
  install_console_sink(&console);
  install_window_system(&system);
  shown_frame = &frame;
  install_fatal_error_reporter(report_on_screen);

  const auto say_finished = [&frame, &application, application_name] {
    frame.set_program_state(QStringLiteral("finished"));
    frame.append_line(QStringLiteral(" The program has finished."));
    const auto answer =
        QMessageBox::question(&frame, application_name,
                              QStringLiteral("%1 has finished. Close it?").arg(application_name),
                              QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
    if (answer == QMessageBox::Yes) application.exit(EXIT_SUCCESS);
  };

  std::atomic<bool> routine_returned{false};
  std::optional<std::thread> worker;
  place_frame_window(frame, frame.narrowest_width());
  frame.show();
  // The routine starts once the event loop runs, so the frame window is up.
  QTimer::singleShot(0, &frame, [&] {
    worker.emplace([&] {
      run_routine(program);
      system.present_unpresented();
      // Set before the question can be answered, so that a quick "yes" joins
      // this thread instead of ending the process under it.
      routine_returned = true;
      QMetaObject::invokeMethod(&frame, say_finished, Qt::QueuedConnection);
    });
  });

  event_loop_running = true;
  const int status = application.exec();
  event_loop_running = false;
  system.cancel();
  if (worker && !routine_returned) {
    // The routine may still be drawing into canvases that are about to go:
    // end here rather than wait for it or pull them from under it.
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(fatal_error_reported ? EXIT_FAILURE : status);
  }
  if (worker) worker->join();
  install_fatal_error_reporter(nullptr);
  shown_frame = nullptr;
  install_window_system(nullptr);
  install_console_sink(nullptr);
  return status;
}

}  // namespace

int run_windowed_program(int argc, char** argv, std::string_view application_name,
                         std::function<void()> program) {
  running_application = std::string(application_name);
  const bool off_screen = runs_off_screen();
  // The platform has to be chosen before the application object exists.
  if (off_screen) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  const QString name =
      QString::fromUtf8(application_name.data(), static_cast<qsizetype>(application_name.size()));
  application.setApplicationName(name);
  if (off_screen) return run_off_screen(program, application_name);
  return run_on_screen(application, program, name);
}

}  // namespace mapplot
