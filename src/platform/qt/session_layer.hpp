#pragma once

#include <mapplot/console.hpp>
#include <mapplot/screen_session.hpp>
#include <memory>
#include <optional>

#include "platform/qt/qt_window_system.hpp"
#include "platform/qt/window_views.hpp"
#include "platform/qt/windowing_layer_claim.hpp"
#include "textout/text_line.hpp"

namespace mapplot {

class graphics_view;
class served_windows;

// Claims the windowing layer for a session's life; checked before anything
// is made.
class session_layer_claim {
 public:
  session_layer_claim();
  ~session_layer_claim() { release_windowing_layer(); }
  session_layer_claim(const session_layer_claim&) = delete;
  session_layer_claim& operator=(const session_layer_claim&) = delete;
};

// Console lines to the caller's callback, wrapped like lines to standard
// output.
class callback_console final : public console_sink {
 public:
  explicit callback_console(screen_session::console_callback callback)
      : callback_(std::move(callback)) {}
  void write_line(std::string_view line) override { callback_(line); }
  std::size_t line_width() const override { return file_line_width; }

 private:
  screen_session::console_callback callback_;
};

// What a screen_session runs while it lives, in `mode`: the claim, the Qt
// window system behind the installed gateway, and on screen its windows, of
// which closing one ends the drawing into it. GUI thread.
class session_layer {
 public:
  session_layer(screen_session::console_callback console, display_mode mode);
  // Cancels what still draws or waits, puts the console back, closes the
  // windows.
  ~session_layer();
  session_layer(const session_layer&) = delete;
  session_layer& operator=(const session_layer&) = delete;

  // On screen, the graphics window showing window `number`; else null.
  graphics_view* graphics_window(int number) const;

 private:
  // Destroyed in reverse: the views (the windows) close before the system
  // they show goes, and the claim is given back last.
  session_layer_claim claim_;
  qt_window_system system_;
  std::optional<window_views> views_;
  std::optional<callback_console> console_;
  console_sink* replaced_sink_ = nullptr;
  // Last, so that it goes first: it reads the system's canvases.
  std::unique_ptr<served_windows> served_;
};

}  // namespace mapplot
