#pragma once

#include <QImage>
#include <string>

namespace mapplot::testing {

// Checks of a picture of window 101 (the 580 x 270 own-window layout) whose
// top-left canvas pixel is at (left, top) in `picture`. Each returns an empty
// string when the picture passes, otherwise what is wrong.
std::string check_julia_window(const QImage& picture, int left, int top);

}  // namespace mapplot::testing
