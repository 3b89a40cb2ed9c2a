#include "platform/frame_receivers.hpp"

#include <atomic>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

namespace mapplot {
namespace {

struct receiver_registry {
  // Recursive: a receiver may add or remove receivers while it is called.
  std::recursive_mutex lock;
  std::map<int, std::shared_ptr<const frame_receiver>> receivers;
  int next_id = 1;
  std::atomic<bool> any{false};
};

receiver_registry& registry() {
  static receiver_registry shared;
  return shared;
}

}  // namespace

int add_frame_receiver(frame_receiver receiver) {
  receiver_registry& frames = registry();
  std::scoped_lock lock(frames.lock);
  // Ids wrap around after INT_MAX receivers but never repeat one in use, and
  // are never 0, which a frame_subscription takes for "none".
  int id = 0;
  do {
    id = frames.next_id;
    frames.next_id = id == std::numeric_limits<int>::max() ? 1 : id + 1;
  } while (frames.receivers.contains(id));
  frames.receivers.emplace(id, std::make_shared<const frame_receiver>(std::move(receiver)));
  frames.any = true;
  return id;
}

void remove_frame_receiver(int id) {
  receiver_registry& frames = registry();
  // Taking the lock waits for a delivery under way on another thread.
  std::scoped_lock lock(frames.lock);
  frames.receivers.erase(id);
  frames.any = !frames.receivers.empty();
}

frame_subscription::frame_subscription(frame_receiver receiver)
    : id_(add_frame_receiver(std::move(receiver))) {}

frame_subscription::frame_subscription(frame_subscription&& other) noexcept
    : id_(std::exchange(other.id_, 0)) {}

frame_subscription& frame_subscription::operator=(frame_subscription&& other) noexcept {
  if (this != &other) {
    end();
    id_ = std::exchange(other.id_, 0);
  }
  return *this;
}

frame_subscription::~frame_subscription() {
  end();
}

void frame_subscription::end() noexcept {
  if (id_ != 0) remove_frame_receiver(std::exchange(id_, 0));
}

bool frame_receivers_present() {
  return registry().any.load();
}

void deliver_presented_frame(const presented_frame& frame) {
  receiver_registry& frames = registry();
  if (!frames.any.load()) return;
  std::scoped_lock lock(frames.lock);
  // A copy, so that a receiver that removes itself or another does not upset
  // the walk; a removed one is skipped.
  std::vector<std::pair<int, std::shared_ptr<const frame_receiver>>> current(
      frames.receivers.begin(), frames.receivers.end());
  for (const auto& [id, receiver] : current) {
    if (frames.receivers.contains(id) && *receiver) (*receiver)(frame);
  }
}

}  // namespace mapplot
