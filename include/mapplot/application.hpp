#pragma once

#include <functional>
#include <string_view>

namespace mapplot {

// Starts the windowing layer: the frame window with its text console (or,
// with no display or QT_QPA_PLATFORM=offscreen, the off-screen layer whose
// console is standard output), installs it as the current window system and
// console sink, and runs `program` on the program's own thread. When `program`
// returns, the frame window says the program has finished and asks whether to
// close; off screen, each graphics window's last picture is saved as a PNG
// whose name goes to standard error. Returns the process exit status.
//
// - Standard descriptors that are closed are first opened on /dev/null, so
//   that no file the program opens later takes their place.
// - Only one windowing layer runs in a process: a second call, nested or
//   from another thread, throws std::logic_error.
// - A display that cannot be opened (or a platform Qt does not have) ends
//   the process with one line, "<name>: cannot open display ...", on
//   standard error and exit status 1.
// - Console lines that could not be written to standard output, and a
//   picture that could not be written whole, are reported on standard error
//   and make the exit status a failure. A picture file appears only whole;
//   a device or FIFO under its name is written in place.
int run_windowed_program(int argc, char** argv, std::string_view application_name,
                         std::function<void()> program);

}  // namespace mapplot
