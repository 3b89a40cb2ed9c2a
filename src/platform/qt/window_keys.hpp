#pragma once

class QKeyEvent;

namespace mapplot {

// What a key pressed in a graphics window asks of the windowing layer while a
// program runs. None of it changes what the program computes or writes.
enum class window_command {
  none,
  toggle_pause,  // Space
  step,          // Right arrow or '.': one frame while paused
  faster,        // '+': twice the pace
  slower,        // '-': half the pace
  save_picture,  // Ctrl+S: the window as shown, as a PNG file
};

window_command command_for_key(const QKeyEvent& event);

}  // namespace mapplot
