#pragma once

class QImage;

namespace mapplot {

class window_canvas;

// Saves `shown`, the picture a window shows now (its presented frame as the
// user views it), as "<application>-window-<number>-<frame>.png" in the
// current folder, and says so (or why not) on the console.
void save_shown_picture(const window_canvas& canvas, const QImage& shown);

}  // namespace mapplot
