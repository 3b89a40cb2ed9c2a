#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

#include "platform/served/served_address.hpp"

namespace mapplot {

class qt_window_system;

// The windows cannot be served as asked; what() says why.
struct serving_failure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// What the served windows tell the run they serve. Both are called on the
// server's own thread and must not wait.
struct served_hooks {
  // A viewer asked, from the page, to close the program once it has finished.
  std::function<void()> close_requested;
  // A viewer came or went.
  std::function<void()> viewers_changed;
  // A viewer paused or resumed the program's frames.
  std::function<void()> pause_changed;
};

// A program's graphics windows served to browsers: a page of our own over
// HTTP and a WebSocket per viewer, answered on a thread of their own that
// reads the same presented frames and kept maps as the windows and never
// holds the program up beyond the windows' own pace. Every request needs the
// run's random token. Create it before the program's thread starts and
// destroy it before `system`.
class served_windows {
 public:
  // Listens at `address`; throws serving_failure, saying why, when it
  // cannot.
  served_windows(qt_window_system& system, const served_address& address, std::string program,
                 served_hooks hooks);
  ~served_windows();
  served_windows(const served_windows&) = delete;
  served_windows& operator=(const served_windows&) = delete;

  // "http://HOST:PORT/?token=…", the port the one actually listened on.
  const std::string& page_address() const { return page_address_; }
  int viewer_count() const { return viewers_; }
  // Program thread or GUI thread: the program has ended (`completed`: it
  // returned); the page says so and offers to close.
  void program_finished(bool completed);

 private:
  struct server_thread;
  std::unique_ptr<server_thread> thread_;
  std::string page_address_;
  std::atomic<int> viewers_{0};
};

// The served windows MAPPLOT_SERVE asks for, started and announced on
// standard error, or null when it asks for none. Throws serving_failure
// when it asks for something unusable or the windows cannot be served.
std::unique_ptr<served_windows> serve_windows_if_asked(qt_window_system& system,
                                                       served_hooks hooks);

}  // namespace mapplot
