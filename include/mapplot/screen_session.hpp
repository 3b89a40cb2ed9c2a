#pragma once

/// \file
/// screen_map() inside a Qt program of the caller's own, without handing
/// main() to run_windowed_program() (CMake: mapplot::screenmap).

#include <functional>
#include <mapplot/export.hpp>
#include <memory>
#include <string_view>

namespace mapplot {

/// The windowing layer inside the caller's own Qt program, for as long as
/// this object lives.
///
/// Create it on the thread that runs the caller's QApplication, after that
/// application exists. While it lives, screen_map() calls made from the
/// caller's worker threads (with `ownwindow` true) draw into top-level
/// graphics windows numbered 101, 102, ... as under run_windowed_program():
/// one frame per call, the same pace (a call may wait for the previous frame
/// to be painted and for the screen's next refresh) and the same keys in the
/// windows (Space pauses, Right arrow or `.` lets one frame through, `+` and
/// `-` change the pace, Ctrl+S saves the picture shown as
/// "<applicationName>-window-<number>-<frame>.png"). The windows are
/// shown by the caller's event loop, so that loop has to run while workers
/// draw. Call screen_map() from worker threads, not from the GUI thread: a
/// call there would wait (about 100 ms, the bound of that wait) for a paint
/// that its own event loop cannot do meanwhile, and the window would not
/// show the frame until the call returned. Window numbers go on from one
/// session to the next in a process.
///
/// There is no frame window and no question at the end. Console lines of all
/// map operations (screen_map(), data_map(), postscript_map()) go to the
/// callback given, or to standard output without one. A screen_map() call
/// with `ownwindow` false would wait for Enter on a console there is none
/// of: it throws std::logic_error before it draws anything.
///
/// Closing a graphics window (its close button, Alt+F4, or the window
/// destroyed by the window manager) closes it for good: it never comes back,
/// and the screen_map() calls that draw into it are cancelled. The call
/// drawing into it, or waiting for its paint or its turn of the pace (Space
/// pauses), throws on its thread the internal cancellation exception that
/// destroying the session also throws (below; a std::exception whose what()
/// is "the program was cancelled", not a std::runtime_error); so does every
/// later call that would draw into that window number, that is every call
/// with `update` true while it is the newest window, for the rest of the
/// session. A call with `update` false opens the next window as usual, and
/// the other windows, their workers and their keys go on. The worker that
/// sees the exception stops drawing; the session stays usable. The
/// session's windows never end the caller's event loop: they do not count
/// as the application's last window closed.
///
/// With QT_QPA_PLATFORM=offscreen (or a platform without windows) the
/// session works the same without showing windows: nothing waits for
/// painting, and presented_picture() returns each window's last frame.
///
/// Destroying the session ends every wait of a screen_map() call at once and
/// makes the call throw an internal cancellation exception (not derived from
/// std::runtime_error) on its thread; it then puts back the console and
/// closes its windows. The caller joins its workers that call screen_map()
/// before destroying the session, or lets those workers see that exception
/// and end: a call made after the session is gone draws nothing, as without
/// a windowing layer (and the console says so once per process).
///
/// Only one windowing layer runs in a process at a time: one session, or
/// run_windowed_program().
class MAPPLOT_API screen_session {
 public:
  /// Receives one console line (without its line end) on the thread that
  /// wrote it, one line at a time. It runs while the console is held, so it
  /// must not call the map operations itself; an exception it throws leaves
  /// the map operation that wrote the line.
  using console_callback = std::function<void(std::string_view line)>;

  /// Starts the session.
  /// \param console  Receives the console lines; empty for standard output.
  /// With MAPPLOT_SERVE set, the session's windows are also served to web
  /// browsers, as run_windowed_program() describes (with no wait at the end).
  ///
  /// \throws std::runtime_error  MAPPLOT_SERVE is set but is no address, or
  ///         its port cannot be listened on.
  /// \throws std::logic_error  No QApplication exists, the calling thread
  ///         is not the application's thread, or a windowing layer is
  ///         running already (another session, or run_windowed_program()).
  explicit screen_session(console_callback console = {});
  /// Cancels any screen_map() call still drawing or waiting, puts the
  /// console back as it was, closes the session's windows. Call it on the
  /// thread that created the session.
  ~screen_session();

  screen_session(const screen_session&) = delete;
  screen_session& operator=(const screen_session&) = delete;

 private:
  struct layer;
  std::unique_ptr<layer> layer_;
};

}  // namespace mapplot
