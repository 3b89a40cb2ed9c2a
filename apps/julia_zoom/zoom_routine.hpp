#pragma once

#include <functional>

#include "julia_zoom/zoom_command_line.hpp"

namespace mapplot {

// The routine main hands to run_windowed_program: julia_zoom itself when
// nothing is to be kept, otherwise julia_zoom with its frames kept as the
// options ask, failing (and so ending the program with status 1) when they
// cannot be.
std::function<void()> zoom_routine(const zoom_options& options);

}  // namespace mapplot
