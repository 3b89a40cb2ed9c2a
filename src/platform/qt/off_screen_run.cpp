#include "platform/qt/off_screen_run.hpp"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <system_error>
#include <thread>

#include "platform/cancellation.hpp"
#include "platform/qt/picture_file.hpp"
#include "platform/qt/program_messages.hpp"
#include "platform/qt/program_routine.hpp"
#include "platform/qt/qt_window_system.hpp"
#include "platform/qt/standard_output_console.hpp"
#include "platform/served/served_windows.hpp"

namespace mapplot {
namespace {

void report_off_screen(std::string_view message) {
  print_on_standard_error(message);
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
      std::fprintf(stderr, "%s: picture of window %d saved as %s\n", program_name().c_str(), number,
                   name.c_str());
    } else {
      std::fprintf(stderr, "%s: could not save the picture of window %d as %s: %s\n",
                   program_name().c_str(), number, name.c_str(), error->c_str());
      all_saved = false;
    }
  }
  return all_saved;
}

// A descriptor that becomes readable when the routine's thread has ended.
class end_signal {
 public:
  end_signal() : descriptor_(::eventfd(0, EFD_CLOEXEC)) {
    if (descriptor_ < 0) throw std::system_error(errno, std::generic_category(), "eventfd");
  }
  ~end_signal() { ::close(descriptor_); }
  end_signal(const end_signal&) = delete;
  end_signal& operator=(const end_signal&) = delete;

  void raise() const {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(descriptor_, &one, sizeof one);
  }
  void lower() const {
    std::uint64_t count = 0;
    [[maybe_unused]] const ssize_t read = ::read(descriptor_, &count, sizeof count);
  }
  int descriptor() const { return descriptor_; }

 private:
  int descriptor_;
};

// Main thread: waits for the routine's end; a cancellation meanwhile is
// passed on to the window system, so that the routine's next call throws.
void wait_for_end(const end_signal& ended, qt_window_system& system) {
  pollfd watched[2] = {{ended.descriptor(), POLLIN, 0}, {cancellation_descriptor(), POLLIN, 0}};
  nfds_t count = 2;
  for (;;) {
    if (::poll(watched, count, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (watched[0].revents != 0) return;
    if (count == 2 && watched[1].revents != 0) {
      system.cancel();
      count = 1;
    }
  }
}

// Main thread, after the run: while someone watches the served windows, the
// run waits as a window would with its closing question, until a viewer
// closes it from the page, the last viewer leaves, or a signal comes.
void wait_for_viewers(const served_windows& served, const end_signal& changed,
                      const std::atomic<bool>& close_requested) {
  if (served.viewer_count() == 0) return;
  print_on_standard_error("finished; the served page closes it (or press Ctrl+C)");
  pollfd watched[2] = {{changed.descriptor(), POLLIN, 0}, {cancellation_descriptor(), POLLIN, 0}};
  while (!close_requested && served.viewer_count() > 0 && !cancellation_requested()) {
    if (::poll(watched, 2, -1) < 0 && errno != EINTR) return;
    if (watched[0].revents != 0) changed.lower();
  }
}

}  // namespace

int run_off_screen(const std::function<void()>& program, std::string_view application_name) {
  qt_window_system system(display_mode::off_screen);
  const end_signal viewers_changed;
  std::atomic<bool> close_requested{false};
  const std::unique_ptr<served_windows> served =
      serve_windows_if_asked(system, {.close_requested =
                                          [&] {
                                            close_requested = true;
                                            viewers_changed.raise();
                                          },
                                      .viewers_changed = [&] { viewers_changed.raise(); },
                                      .pause_changed = {}});
  standard_output_console console;
  console_sink* replaced = install_console_sink(&console);
  install_window_system(&system);
  install_fatal_error_reporter(report_off_screen);

  const end_signal ended;
  routine_end end = routine_end::failed;
  std::thread worker([&] {
    end = run_program_routine(program, system, report_off_screen);
    ended.raise();
  });
  wait_for_end(ended, system);
  worker.join();

  install_fatal_error_reporter(nullptr);
  install_window_system(nullptr);
  install_console_sink(replaced);
  std::fflush(stdout);
  // A cancelled or failed run is not complete: it leaves no pictures.
  const bool complete = end == routine_end::completed && !cancellation_requested();
  const int status =
      complete && save_pictures(system, application_name) ? EXIT_SUCCESS : EXIT_FAILURE;
  if (served && !cancellation_requested()) {
    served->program_finished(complete);
    wait_for_viewers(*served, viewers_changed, close_requested);
  }
  return checked_standard_output(status, console.error());
}

}  // namespace mapplot
