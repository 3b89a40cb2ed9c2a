#pragma once

#include <string>

namespace mapplot {

struct julia_view;

// The console line of one view, locale-free: its centre to long double's
// digits, its half-width, its iteration limit, and the share of its points
// the extended loop computed, in per cent.
std::string explorer_view_line(const julia_view& view, double fallback_share);

// julia_zoom --explore: the Julia set of z^2 + i at one exact count per pixel,
// zoomable to the limit of long double, opening on frame `frame`'s window.
// On screen it runs its own QApplication until the window closes; off screen
// it computes that view at 265 x 265, saves it as julia_explore-FRAME.png in
// the current folder (named on standard error) and returns. Pictures, Ctrl+S
// included, are written whole or not at all. Returns the exit status: 1 when
// the picture, or a line on standard output, could not be written.
int run_julia_explorer(int frame, bool off_screen);

}  // namespace mapplot
