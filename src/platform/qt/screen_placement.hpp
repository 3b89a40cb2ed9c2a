#pragma once

class QWidget;

namespace mapplot {

// The layer's placement of its windows on the screen (see window_placement).
// GUI thread.

// Before the frame window is first shown: top left of its screen's available
// area, sized to leave room beside it for a graphics window.
void place_frame_window(QWidget& frame, int narrowest_width);

// Before graphics window `number` is first shown, once it has its size:
// beside the frame window (if any), cascading by number.
void place_graphics_window(QWidget& window, int number, const QWidget* frame);

}  // namespace mapplot
