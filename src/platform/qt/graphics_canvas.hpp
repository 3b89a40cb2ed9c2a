#pragma once

#include <QImage>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>

#include "platform/font_option.hpp"
#include "platform/palette.hpp"
#include "platform/world_transform.hpp"

namespace mapplot {

// What the drawing operations of one window set and later ones read.
struct drawing_state {
  std::optional<pixel_rectangle> viewport;  // none: the whole canvas, unclipped up to the limit
  world_window world;
  rgb_color color = default_palette_color(7);
  rgb_color text_color = default_palette_color(7);
  std::optional<pixel_point> position;  // none after a position that had no pixel
  font_choice font = terminal_font();
};

// One window's pixels, shared by the program's thread, which draws into them,
// and the GUI thread, which copies them to the screen. Everything but `number`
// and the atomics is guarded by `lock`.
struct graphics_canvas {
  explicit graphics_canvas(int window_number) : number(window_number) {}

  const int number;
  std::mutex lock;
  std::condition_variable painted;
  QImage image;  // RGB32; black wherever nothing was drawn
  drawing_state state;
  std::string title;
  bool showing_graphics = false;  // window 0 only: the canvas stands in for the console text
  std::optional<std::chrono::steady_clock::time_point> unpainted_since;
  bool paint_stalled = false;  // a paint did not come in time; stop waiting until one does
  std::atomic<bool> repaint_pending{false};
  std::atomic<bool> shown{false};
};

}  // namespace mapplot
