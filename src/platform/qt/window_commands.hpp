#pragma once

#include <QString>

#include "platform/qt/window_keys.hpp"

namespace mapplot {

class frame_pace;
class frame_window;
class graphics_view;

// What a command steers: the layer's pace, the frame window's title (null
// when there is no frame window), and the graphics window the key was
// pressed in.
struct steered_windows {
  const graphics_view& view;
  frame_pace& pace;
  frame_window* frame;
};

// The pace as the windows say it, e.g. "pace: 30 frames/s".
QString pace_text(const frame_pace& pace);

// GUI thread: carries out a key's command. None of it changes what the
// program computes or writes.
void carry_out_window_command(window_command command, const steered_windows& windows);

}  // namespace mapplot
