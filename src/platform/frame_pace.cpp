#include "platform/frame_pace.hpp"

#include <algorithm>

namespace mapplot {

frame_pace::clock::duration frame_pace::interval() const {
  std::scoped_lock lock(lock_);
  return interval_;
}

void frame_pace::set_interval(clock::duration interval) {
  {
    std::scoped_lock lock(lock_);
    interval_ = std::max(interval, clock::duration::zero());
  }
  changed_.notify_all();
}

void frame_pace::double_pace(clock::duration shortest) {
  {
    std::scoped_lock lock(lock_);
    interval_ = std::max(interval_ / 2, shortest);
  }
  changed_.notify_all();
}

void frame_pace::halve_pace(clock::duration shortest) {
  {
    std::scoped_lock lock(lock_);
    // From at least the screen's period, so that a pace of 0 (as fast as the
    // screen goes) slows down too.
    interval_ = std::min<clock::duration>(std::max(interval_, shortest) * 2, slowest_interval);
  }
  changed_.notify_all();
}

void frame_pace::pause() {
  std::scoped_lock lock(lock_);
  paused_ = true;
}

void frame_pace::resume() {
  {
    std::scoped_lock lock(lock_);
    paused_ = false;
    steps_ = 0;
  }
  changed_.notify_all();
}

void frame_pace::step() {
  {
    std::scoped_lock lock(lock_);
    if (!paused_) return;
    ++steps_;
  }
  changed_.notify_all();
}

bool frame_pace::paused() const {
  std::scoped_lock lock(lock_);
  return paused_;
}

void frame_pace::cancel() {
  {
    std::scoped_lock lock(lock_);
    cancelled_ = true;
  }
  changed_.notify_all();
}

void frame_pace::wake_waits() {
  // Taking the lock orders the waker's flag before the waits' next look at it.
  { std::scoped_lock lock(lock_); }
  changed_.notify_all();
}

std::optional<frame_pace::clock::time_point> frame_pace::wait_for_turn(
    std::optional<clock::time_point> previous_turn, clock::duration shortest,
    const std::atomic<bool>* given_up) {
  std::unique_lock lock(lock_);
  while (!cancelled_ && (given_up == nullptr || !given_up->load())) {
    if (paused_ && steps_ == 0) {
      changed_.wait(lock);
      continue;
    }
    // Read afresh on every round: the interval may change during the wait.
    const clock::duration period = std::max(interval_, shortest);
    const clock::time_point now = clock::now();
    clock::time_point turn = now;
    if (previous_turn) {
      turn = *previous_turn + period;
      if (now < turn) {
        changed_.wait_until(lock, turn);
        continue;
      }
      if (now - turn > period) turn = now;
    }
    if (paused_) --steps_;
    return turn;
  }
  return std::nullopt;
}

}  // namespace mapplot
