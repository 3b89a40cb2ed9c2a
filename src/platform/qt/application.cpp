#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QMessageBox>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <mapplot/application.hpp>
#include <mapplot/console.hpp>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/qt/frame_window.hpp"
#include "platform/qt/picture_file.hpp"
#include "platform/qt/qt_window_system.hpp"
#include "platform/qt/screen_placement.hpp"
#include "platform/qt/window_console_sink.hpp"
#include "platform/window_system.hpp"
#include "textout/write_console.hpp"

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
    if (const auto error = save_picture_file(picture, name); !error) {
      std::fprintf(stderr, "%s: picture of window %d saved as %s\n", running_application.c_str(),
                   number, name.c_str());
    } else {
      std::fprintf(stderr, "%s: could not save the picture of window %d as %s: %s\n",
                   running_application.c_str(), number, name.c_str(), error->c_str());
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

// A standard descriptor that is closed would be taken by the next file the
// program opens (Qt's event descriptor, say), and console lines would go
// there. Each closed one is opened on /dev/null first.
void open_closed_standard_descriptors() {
  for (int descriptor = 0; descriptor <= 2; ++descriptor) {
    if (::fcntl(descriptor, F_GETFD) != -1 || errno != EBADF) continue;
    const int opened = ::open("/dev/null", descriptor == 0 ? O_RDONLY : O_WRONLY);
    if (opened >= 0 && opened != descriptor) {
      ::dup2(opened, descriptor);
      ::close(opened);
    }
  }
}

// The value of a Qt command-line option ("-platform xyz"), or empty.
std::string option_value(int argc, char** argv, std::string_view option) {
  for (int k = 1; k + 1 < argc; ++k) {
    std::string_view argument = argv[k];
    if (!argument.starts_with('-')) continue;
    argument.remove_prefix(argument.starts_with("--") ? 2 : 1);
    if (argument == option) return argv[k + 1];
  }
  return {};
}

// What a display that did not open was: the platform asked for and the
// display named, as far as either was given.
std::string display_description(int argc, char** argv) {
  std::string display = option_value(argc, argv, "display");
  if (display.empty()) display = qEnvironmentVariable("DISPLAY").toStdString();
  if (display.empty()) display = qEnvironmentVariable("WAYLAND_DISPLAY").toStdString();
  std::string platform = option_value(argc, argv, "platform");
  if (platform.empty()) platform = qEnvironmentVariable("QT_QPA_PLATFORM").toStdString();
  std::string description;
  if (!display.empty()) {
    description += '"';
    description += display;
    description += '"';
  }
  if (!platform.empty()) {
    if (!description.empty()) description += ' ';
    description += "(platform \"";
    description += platform;
    description += "\")";
  }
  return description;
}

// Qt ends the process with qFatal, that is abort(), when its platform cannot
// start: a display that does not answer, an unknown -platform. While the
// application object is made, Qt's messages are held back; a fatal one
// becomes one line and exit status 1, and the others are let through once
// the object exists.
std::string failed_display;
std::vector<QString> held_messages;

void hold_startup_message(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (type != QtFatalMsg) {
    held_messages.push_back(qFormatLogMessage(type, context, text));
    return;
  }
  std::fflush(stdout);
  std::fprintf(stderr, "%s: cannot open display %s\n", running_application.c_str(),
               failed_display.c_str());
  std::fflush(stderr);
  std::_Exit(EXIT_FAILURE);
}

// The exit status, made a failure when console lines could not be written
// to standard output.
int checked_standard_output(int status) {
  int error = standard_output_error();
  if (std::fflush(stdout) != 0 && error == 0) error = errno != 0 ? errno : EIO;
  if (error == 0 && std::ferror(stdout)) error = EIO;
  if (error == 0) return status;
  print_on_standard_error(std::string("cannot write standard output: ") + std::strerror(error));
  return EXIT_FAILURE;
}

// Only one windowing layer runs in a process at a time.
std::atomic<bool> layer_running{false};

}  // namespace

int run_windowed_program(int argc, char** argv, std::string_view application_name,
                         std::function<void()> program) {
  open_closed_standard_descriptors();
  if (layer_running.exchange(true))
    throw std::logic_error("run_windowed_program: a windowing layer is already running");
  struct layer_end {
    ~layer_end() { layer_running = false; }
  } ends_layer;

  running_application = std::string(application_name);
  const bool off_screen = runs_off_screen();
  // The platform has to be chosen before the application object exists.
  if (off_screen) qputenv("QT_QPA_PLATFORM", "offscreen");
  failed_display = display_description(argc, argv);
  held_messages.clear();
  const QtMessageHandler previous_handler = qInstallMessageHandler(hold_startup_message);
  QApplication application(argc, argv);
  qInstallMessageHandler(previous_handler);
  for (const QString& message : held_messages)
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
  held_messages.clear();

  const QString name =
      QString::fromUtf8(application_name.data(), static_cast<qsizetype>(application_name.size()));
  application.setApplicationName(name);
  if (off_screen) return checked_standard_output(run_off_screen(program, application_name));
  return checked_standard_output(run_on_screen(application, program, name));
}

}  // namespace mapplot
