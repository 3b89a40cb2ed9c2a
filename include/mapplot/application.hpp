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
int run_windowed_program(int argc, char** argv, std::string_view application_name,
                         std::function<void()> program);

}  // namespace mapplot
