#include "platform/qt/windowing_layer_claim.hpp"

#include <atomic>

namespace mapplot {
namespace {

std::atomic<bool> layer_running{false};

}  // namespace

bool claim_windowing_layer() noexcept {
  return !layer_running.exchange(true);
}

void release_windowing_layer() noexcept {
  layer_running = false;
}

}  // namespace mapplot
