#include "platform/window_placement.hpp"

#include <algorithm>

namespace mapplot {
namespace {

constexpr int first_own_window = 101;

int outer_width(int width, const decoration& around) {
  return width + around.left + around.right;
}
int outer_height(int height, const decoration& around) {
  return height + around.top + around.bottom;
}

// Moves `start` back so that a span of `extent` ends inside [low, high), but
// never before `low`.
int kept_inside(int start, int extent, int low, int high) {
  return std::max(low, std::min(start, high - extent));
}

}  // namespace

screen_area frame_window_area(screen_area available, int wanted_width, int wanted_height,
                              int narrowest_width, int graphics_width, decoration around) {
  const int room_beside = available.width - outer_width(graphics_width, around) - window_gap;
  const int largest_width = available.width - around.left - around.right;
  int width = std::min(wanted_width, room_beside - around.left - around.right);
  width = std::min(std::max(width, narrowest_width), largest_width);
  const int height = std::min(wanted_height, available.height - around.top - around.bottom);
  return {available.left, available.top, std::max(width, 1), std::max(height, 1)};
}

screen_area graphics_window_area(screen_area available, screen_area frame, int number, int width,
                                 int height, decoration around) {
  const int outer_w = outer_width(width, around);
  const int outer_h = outer_height(height, around);
  const int slot = std::max(0, number - first_own_window);
  // As many steps down as fit; then the cascade starts again at the top.
  const int steps_down = std::max(0, (available.height - outer_h) / cascade_step) + 1;
  const int step = slot % steps_down;
  const int column = frame.right() + window_gap;
  const int left =
      kept_inside(column + step * cascade_step, outer_w, available.left, available.right());
  const int top =
      kept_inside(available.top + step * cascade_step, outer_h, available.top, available.bottom());
  return {left, top, width, height};
}

bool overlapping(const screen_area& first, const screen_area& second) {
  return first.left < second.right() && second.left < first.right() &&
         first.top < second.bottom() && second.top < first.bottom();
}

}  // namespace mapplot
