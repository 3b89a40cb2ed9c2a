#include "platform/frame_receivers.hpp"

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
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
  const int id = frames.next_id++;
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
