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

/// A function that receives presented frames; see frame_subscription.
using frame_receiver = std::function<void(const presented_frame&)>;

/// Hands every frame any window presents, on screen and off screen, to a
/// receiver for as long as it lives: exactly the picture that is shown, in
/// the order presented. The receiver runs on the thread that draws (the
/// program's thread of run_windowed_program), before that thread goes on, so
/// a slow receiver slows the program rather than losing frames. A program
/// paused with Space presents nothing, so the receiver waits with it. An
/// exception the receiver throws leaves the drawing call that presented the
/// frame (screen_map), so a program can stop at a frame it could not keep;
/// the frame stays shown, and receivers after the throwing one miss it.
///
///     const mapplot::frame_subscription frames([&](const mapplot::presented_frame& frame) {
///       keep(frame.width, frame.height, frame.pixels);
///     });
///
/// Once the subscription is destroyed or ended, its receiver is not called
/// again: a call already under way on another thread is waited for. A
/// receiver may end its own subscription.
class MAPPLOT_API frame_subscription {
 public:
  /// A subscription that receives nothing.
  frame_subscription() = default;
  /// Hands every frame presented from now on to `receiver`.
  explicit frame_subscription(frame_receiver receiver);
  /// Takes over `other`'s receiver; `other` receives nothing afterwards.
  frame_subscription(frame_subscription&& other) noexcept;
  /// Ends this subscription, then takes over `other`'s receiver.
  frame_subscription& operator=(frame_subscription&& other) noexcept;
  frame_subscription(const frame_subscription&) = delete;
  frame_subscription& operator=(const frame_subscription&) = delete;
  /// Ends the subscription.
  ~frame_subscription();

  /// Ends the subscription now; its receiver is not called again. Ending an
  /// ended one does nothing.
  void end() noexcept;
  /// Whether the receiver still gets frames.
  bool active() const noexcept { return id_ != 0; }

 private:
  int id_ = 0;
};

/// The same without an object: hands every frame presented from now on to
/// `receiver` until remove_frame_receiver() is called with the id returned.
/// Prefer frame_subscription, which cannot be left behind.
/// \return An id for remove_frame_receiver(), never 0.
MAPPLOT_API int add_frame_receiver(frame_receiver receiver);

/// After it returns, the receiver is not called again (a call already under
/// way on another thread is waited for). A receiver may remove itself.
/// \param id  As add_frame_receiver() returned it; an unknown id is ignored.
MAPPLOT_API void remove_frame_receiver(int id);

}  // namespace mapplot
