#pragma once

/// \file
/// The pictures the windowing layer presents, for a program that draws with
/// screen_map() (CMake: mapplot::screenmap): what a window shows now, and
/// every frame as it is presented, on screen and off screen alike. julia_zoom
/// keeps its frames as PNG files and as a video this way.

#include <cstdint>
#include <functional>
#include <mapplot/export.hpp>
#include <optional>
#include <span>
#include <vector>

namespace mapplot {

/// What a graphics window shows: a whole frame as the windowing layer
/// presented it. Rows run top to bottom; each pixel is 0xffRRGGBB.
struct window_picture {
  int window_number = 0;              ///< 0 for the console window, 101 for the first own window
  long long frame_number = 0;         ///< 1 for the window's first presented frame
  int width = 0;                      ///< in pixels
  int height = 0;                     ///< in pixels
  std::vector<std::uint32_t> pixels;  ///< width * height values
};

/// The picture window `window_number` shows now: its last presented frame,
/// the picture Ctrl+S in the window saves. Nothing when no windowing layer
/// runs or the window has presented none. Safe from any thread.
MAPPLOT_API std::optional<window_picture> presented_picture(int window_number);

/// One frame as it is presented, handed to the frame receivers.
struct presented_frame {
  int window_number = 0;       ///< as in window_picture
  long long frame_number = 0;  ///< 1 for the window's first presented frame
  int width = 0;               ///< in pixels
  int height = 0;              ///< in pixels
  /// width * height values, rows top to bottom, each 0xffRRGGBB; valid only
  /// during the receiver's call.
  std::span<const std::uint32_t> pixels;
};

/// A function that receives presented frames; see add_frame_receiver().
using frame_receiver = std::function<void(const presented_frame&)>;

/// Every frame any window presents from now on, on screen and off screen, is
/// handed to `receiver`, in the order presented: exactly the picture that is
/// shown. It runs on the thread that draws (the program's thread of
/// run_windowed_program), before that thread goes on, so a slow receiver
/// slows the program rather than losing frames. A program paused with Space
/// presents nothing, so the receiver waits with it.
/// \return An id for remove_frame_receiver().
MAPPLOT_API int add_frame_receiver(frame_receiver receiver);

/// After it returns, the receiver is not called again (a call already under
/// way on another thread is waited for). A receiver may remove itself.
/// \param id  As add_frame_receiver() returned it; an unknown id is ignored.
MAPPLOT_API void remove_frame_receiver(int id);

}  // namespace mapplot
