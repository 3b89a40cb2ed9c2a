#pragma once

#include <functional>
#include <string_view>

namespace mapplot {

// Runs `program` with no window: console lines go to standard output, nothing
// waits for painting, and once it has completed each window's last picture is
// saved as "<application>-window-<number>.png". Returns the exit status.
int run_off_screen(const std::function<void()>& program, std::string_view application_name);

}  // namespace mapplot
