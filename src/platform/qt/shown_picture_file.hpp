#pragma once

namespace mapplot {

class window_canvas;

// Saves the picture a window shows now as
// "<application>-window-<number>-<frame>.png" in the current folder, and says
// so (or why not) on the console.
void save_shown_picture(const window_canvas& canvas);

}  // namespace mapplot
