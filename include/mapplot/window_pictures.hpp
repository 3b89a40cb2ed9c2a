#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace mapplot {

/// What a graphics window shows: a whole frame as the windowing layer
/// presented it. Rows run top to bottom; each pixel is 0xffRRGGBB.
struct window_picture {
  int window_number = 0;
  long long frame_number = 0;  ///< 1 for the window's first presented frame
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  ///< width * height values
};

/// The picture window `window_number` shows now: its last presented frame.
/// Nothing when no windowing layer runs or the window has presented none.
/// Safe from any thread.
std::optional<window_picture> presented_picture(int window_number);

/// One frame as it is presented, handed to the frame receivers. `pixels`
/// (width * height values, as in window_picture) is valid only during the call.
struct presented_frame {
  int window_number = 0;
  long long frame_number = 0;
  int width = 0;
  int height = 0;
  std::span<const std::uint32_t> pixels;
};

using frame_receiver = std::function<void(const presented_frame&)>;

/// Every frame any window presents from now on, on screen and off screen, is
/// handed to `receiver`, in the order presented: exactly the picture that is
/// shown. It runs on the thread that draws (the program's thread of
/// run_windowed_program), before that thread goes on, so a slow receiver
/// slows the program rather than losing frames. Returns an id for
/// remove_frame_receiver.
int add_frame_receiver(frame_receiver receiver);

/// After it returns, the receiver is not called again (a call already under
/// way on another thread is waited for). A receiver may remove itself.
void remove_frame_receiver(int id);

}  // namespace mapplot
