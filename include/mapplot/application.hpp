#pragma once

/// \file
/// The windowing layer's start-up, for a program that draws with
/// screen_map() (CMake: mapplot::screenmap).

#include <functional>
#include <mapplot/export.hpp>
#include <string_view>

namespace mapplot {

/// Starts the windowing layer, runs `program` on a thread of its own and
/// returns the exit status for main() to return:
/// `return mapplot::run_windowed_program(argc, argv, "name", routine);`
///
/// On screen it shows the frame window with its text console, which
/// receives the console lines of all map operations while the program runs;
/// when `program` returns, the frame window says the program has finished
/// and asks whether to close. With neither DISPLAY nor WAYLAND_DISPLAY set,
/// or with QT_QPA_PLATFORM=offscreen, the same program runs off screen:
/// console lines go to standard output, nothing waits for painting, nothing
/// is asked at the end, and each graphics window's last picture is saved as
/// "<application_name>-window-<number>.png" in the current folder, its name
/// reported on standard error.
///
/// On screen, keys pressed in a graphics window steer the program while it
/// runs, without changing what it computes or writes:
/// - Space pauses and resumes: while paused, the program's thread waits
///   before presenting its next frame, and the frame window's title says
///   "paused";
/// - Right arrow or `.` lets one more frame through while paused;
/// - `+` and `-` double and halve the pace of frames, at most the screen's
///   refresh rate and at least one frame a second;
/// - Ctrl+S saves the picture the window shows as
///   "<application_name>-window-<number>-<frame>.png" in the current folder
///   (written whole or not at all) and says so in the console.
///
/// With the environment variable `MAPPLOT_SERVE=[HOST:]PORT` set (empty:
/// 127.0.0.1:8470; port 0: any free port), the graphics windows are also
/// served to web browsers, on screen and off screen: one line on standard
/// error gives the address to open, with the run's random token
/// ("http://127.0.0.1:8470/?token=..."); every request without the token is
/// answered 403. The page shows each window live and has the windows' keys,
/// readout, zoom and pan. While a browser watches, frames keep the on-screen
/// pace, and at the end the run waits until it is closed from the page, the
/// last browser leaves or a signal comes; with nobody watching nothing
/// changes. A value that is no address, or a port that cannot be listened
/// on, ends the run before `program` starts (one line, EXIT_FAILURE).
///
/// An exception that escapes `program` is a fatal error: its message is
/// shown (a message box on screen, a line on standard error off screen;
/// std::bad_alloc as "insufficient virtual memory") and the run ends with
/// a non-zero status.
///
/// Stopping the program while it runs cancels `program` rather than killing
/// it: closing the frame window (or its being destroyed from outside), and
/// SIGINT, SIGTERM and SIGHUP (where their disposition is the default one),
/// make the layer's calls that draw or wait (presenting a frame, waiting for
/// Enter) throw an internal cancellation on the program's thread, so that
/// `program` unwinds and its destructors run (workers joined, child
/// processes stopped, temporary files removed); the layer then joins its
/// thread. A handler in `program` should let that exception pass. The exit
/// status tells how the run ended:
/// - 0 when `program` returned, its pictures were written and (on screen)
///   the closing question was answered or the frame window closed;
/// - EXIT_FAILURE when the frame window was closed while `program` ran (the
///   run is incomplete, and a line on standard error says so);
/// - after SIGINT, SIGTERM or SIGHUP, once everything has unwound, the
///   signal's default action is restored and the signal raised again, so
///   the parent sees the process ended by that signal. A second such signal
///   during the unwinding ends the process at once.
/// While the layer runs SIGPIPE does not end the process (where it had its
/// default action; child processes still start with it): when
/// a reader of standard output goes away (`program | head -1`), the run is
/// cancelled and ends with "<name>: cannot write standard output: Broken
/// pipe" on standard error and EXIT_FAILURE. The signal dispositions are put
/// back when the layer ends.
///
/// Standard descriptors that are closed at the start are first opened on
/// /dev/null, so that no file the program opens later takes their place.
/// A display that cannot be opened (or a platform Qt does not have) ends the
/// process with one line, "<name>: cannot open display ...", on standard
/// error and exit status 1. Console lines that could not be written to
/// standard output, and a picture that could not be written whole, are
/// reported on standard error and make the exit status a failure; a picture
/// file appears only whole.
///
/// Call it once, from the main thread; only one windowing layer runs in a
/// process at a time (this one, or a screen_session of
/// <mapplot/screen_session.hpp> in a Qt program of the caller's own).
///
/// \param argc  main()'s argument count.
/// \param argv  main()'s arguments; Qt takes its own options from them.
/// \param application_name  Names the frame window, the saved pictures and
///        the program's messages on standard error.
/// \param program  The routine that draws; called once.
/// \return EXIT_SUCCESS, or EXIT_FAILURE when `program` failed or was
///         cancelled, or a console line or a picture could not be written.
///         Does not return when a signal cancelled the run.
/// \throws std::logic_error  Called again while a windowing layer runs
///         (nested, from another thread, or while a screen_session lives).
MAPPLOT_API int run_windowed_program(int argc, char** argv, std::string_view application_name,
                                     std::function<void()> program);

}  // namespace mapplot
