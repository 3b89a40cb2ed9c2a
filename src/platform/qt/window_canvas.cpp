#include "platform/qt/window_canvas.hpp"

#include <algorithm>
#include <cstring>

namespace mapplot {

std::optional<long long> window_canvas::present(frame_pace* pace) {
  // Drawing that left no pixels (a window never given a size) is no frame.
  if (back_.isNull()) unpresented_ = false;
  if (!unpresented_) return std::nullopt;
  if (pace != nullptr) {
    clock::duration shortest{};
    {
      std::unique_lock lock(lock_);
      if (shown_ && !painted_ && !paint_stalled_ && presented_at_) {
        const bool painted =
            painted_or_hidden_.wait_until(lock, *presented_at_ + longest_paint_wait_,
                                          [this] { return painted_ || !shown_ || cancelled_; });
        // Not painted in time: stop waiting for paints until one comes.
        if (!painted) paint_stalled_ = true;
      }
      if (cancelled_) return std::nullopt;
      shortest = refresh_period_;
    }
    // Outside the lock: the GUI thread goes on painting meanwhile.
    const auto turn = pace->wait_for_turn(turn_, shortest, &cancelled_);
    if (!turn) return std::nullopt;
    turn_ = turn;
  }

  std::scoped_lock lock(lock_);
  if (cancelled_) return std::nullopt;
  if (front_.size() == back_.size() && front_.format() == back_.format()) {
    // The front picture is never shared, so this writes into it in place.
    std::memcpy(front_.bits(), back_.constBits(), static_cast<std::size_t>(back_.sizeInBytes()));
  } else {
    front_ = back_.copy();
  }
  front_map_ = state_.map;
  unpresented_ = false;
  painted_ = false;
  presented_at_ = clock::now();
  return ++frame_number_;
}

void window_canvas::frame_seen(long long frame_number) {
  {
    std::scoped_lock lock(lock_);
    if (frame_number > frame_number_) return;
    // An older frame seen late still says the viewer keeps up again.
    paint_stalled_ = false;
    if (frame_number == frame_number_) painted_ = true;
  }
  painted_or_hidden_.notify_all();
}

void window_canvas::set_shown(bool shown) {
  {
    std::scoped_lock lock(lock_);
    shown_ = shown;
  }
  painted_or_hidden_.notify_all();
}

void window_canvas::set_refresh_period(clock::duration period) {
  std::scoped_lock lock(lock_);
  refresh_period_ = period;
}

void window_canvas::cancel() {
  {
    std::scoped_lock lock(lock_);
    cancelled_ = true;
  }
  painted_or_hidden_.notify_all();
}

QSize window_canvas::presented_size() const {
  std::scoped_lock lock(lock_);
  return front_.size();
}

QImage window_canvas::presented_image() const {
  std::scoped_lock lock(lock_);
  return front_.copy();
}

std::optional<window_picture> window_canvas::presented_picture() const {
  std::scoped_lock lock(lock_);
  if (front_.isNull()) return std::nullopt;
  window_picture picture{.window_number = number_,
                         .frame_number = frame_number_,
                         .width = front_.width(),
                         .height = front_.height(),
                         .pixels = {}};
  picture.pixels.resize(static_cast<std::size_t>(front_.width()) *
                        static_cast<std::size_t>(front_.height()));
  for (int row = 0; row < front_.height(); ++row) {
    const auto* line = reinterpret_cast<const std::uint32_t*>(front_.constScanLine(row));
    std::copy(line, line + front_.width(),
              picture.pixels.begin() + static_cast<std::ptrdiff_t>(row) * front_.width());
  }
  return picture;
}

numbered_picture window_canvas::presented_numbered_picture() const {
  std::scoped_lock lock(lock_);
  return {front_.copy(), frame_number_};
}

std::optional<placed_map> window_canvas::presented_map() const {
  std::scoped_lock lock(lock_);
  return front_map_;
}

canvas_frame window_canvas::presented() const {
  std::scoped_lock lock(lock_);
  return {front_.copy(), frame_number_, front_map_};
}

long long window_canvas::frame_number() const {
  std::scoped_lock lock(lock_);
  return frame_number_;
}

std::string window_canvas::title() const {
  std::scoped_lock lock(lock_);
  return title_;
}

void window_canvas::set_title(std::string title) {
  std::scoped_lock lock(lock_);
  title_ = std::move(title);
}

}  // namespace mapplot
