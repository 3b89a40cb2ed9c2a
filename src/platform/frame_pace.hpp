#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>

#include "internal_api.hpp"

namespace mapplot {

// How fast frames follow one another on screen, and whether they stop: the
// windowing layer holds one pace for all its windows. The program's thread
// asks for its turn just before it presents a frame, so it computes the next
// frame while the current one is still shown; pausing holds it there, and a
// step lets exactly one more frame through.
class frame_pace {
 public:
  using clock = std::chrono::steady_clock;
  static constexpr clock::duration slowest_interval = std::chrono::seconds(1);

  explicit frame_pace(clock::duration interval) : interval_(interval) {}

  MAPPLOT_INTERNAL_API clock::duration interval() const;
  void set_interval(clock::duration interval);

  // Frames twice as often, but no more often than one a `shortest` (the
  // screen's refresh period); half as often, but at least one a second.
  MAPPLOT_INTERNAL_API void double_pace(clock::duration shortest);
  MAPPLOT_INTERNAL_API void halve_pace(clock::duration shortest);

  MAPPLOT_INTERNAL_API void pause();
  MAPPLOT_INTERNAL_API void resume();
  // While paused: lets one more frame be presented. Otherwise nothing.
  MAPPLOT_INTERNAL_API void step();
  MAPPLOT_INTERNAL_API bool paused() const;

  // Ends every wait at once, now and later.
  MAPPLOT_INTERNAL_API void cancel();
  // Wakes every wait, so that one whose window has given up (see
  // wait_for_turn) returns; the others wait on.
  MAPPLOT_INTERNAL_API void wake_waits();

  // Waits for the turn of a window's next frame and returns the time that turn
  // fell due, which the window passes back as `previous_turn` for the frame
  // after (nothing for its first frame). Turns fall on a steady grid, one
  // interval apart, or one period of `shortest` (the refresh period of the
  // window's screen) if that is longer, so that a frame that comes late now
  // and then does not slow the whole run down; a window more than a whole
  // interval behind starts a new grid. No turn comes while paused but for
  // steps. Nothing when cancelled, or once `given_up` (the window's own
  // cancellation, if any) is set and wake_waits() has been called.
  MAPPLOT_INTERNAL_API std::optional<clock::time_point> wait_for_turn(
      std::optional<clock::time_point> previous_turn, clock::duration shortest,
      const std::atomic<bool>* given_up = nullptr);

 private:
  mutable std::mutex lock_;
  std::condition_variable changed_;
  clock::duration interval_;
  bool paused_ = false;
  long long steps_ = 0;
  bool cancelled_ = false;
};

}  // namespace mapplot
