#include "platform/qt/window_canvases.hpp"

#include <string>

namespace mapplot {

window_canvases::window_canvases() {
  auto console = std::make_unique<window_canvas>(0);
  console_ = console.get();
  canvases_.emplace(0, std::move(console));
}

window_canvas& window_canvases::numbered(int number) {
  std::scoped_lock lock(lock_);
  auto& slot = canvases_[number];
  if (!slot) {
    slot = std::make_unique<window_canvas>(number);
    slot->set_title("Window " + std::to_string(number));
  }
  return *slot;
}

window_canvas* window_canvases::find(int number) const {
  std::scoped_lock lock(lock_);
  const auto found = canvases_.find(number);
  return found == canvases_.end() ? nullptr : found->second.get();
}

std::vector<int> window_canvases::numbers() const {
  std::scoped_lock lock(lock_);
  std::vector<int> numbers;
  for (const auto& [number, canvas] : canvases_) numbers.push_back(number);
  return numbers;
}

std::vector<window_canvas*> window_canvases::all() const {
  std::scoped_lock lock(lock_);
  std::vector<window_canvas*> all;
  for (const auto& [number, canvas] : canvases_) all.push_back(canvas.get());
  return all;
}

void window_canvases::cancel_all() {
  std::scoped_lock lock(lock_);
  for (const auto& [number, canvas] : canvases_) canvas->cancel();
}

}  // namespace mapplot
