// frame_subscription: frames reach a receiver exactly while its subscription
// lives, through moves, and a subscription ended on one thread waits for the
// delivery under way on another.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <mapplot/window_pictures.hpp>
#include <thread>
#include <utility>
#include <vector>

#include "platform/frame_receivers.hpp"

namespace mapplot {
namespace {

void present(int window, long long frame) {
  const std::vector<std::uint32_t> pixels(6, 0xff000000u + static_cast<std::uint32_t>(frame));
  deliver_presented_frame({window, frame, 3, 2, pixels});
}

TEST(FrameSubscription, ReceivesWhileItLivesAndThroughMoves) {
  std::vector<long long> first, second;
  {
    frame_subscription kept([&](const presented_frame& frame) {
      EXPECT_EQ(frame.pixels.size(), 6u);
      first.push_back(frame.frame_number);
    });
    EXPECT_TRUE(kept.active());
    EXPECT_TRUE(frame_receivers_present());
    present(101, 1);

    // A move hands the receiver on; the moved-from one ends nothing.
    frame_subscription moved = std::move(kept);
    EXPECT_FALSE(kept.active());
    present(101, 2);

    // Assigning over a live subscription ends it first.
    moved = frame_subscription(
        [&](const presented_frame& frame) { second.push_back(frame.frame_number); });
    present(102, 3);
  }
  present(101, 4);  // every subscription is gone

  EXPECT_EQ(first, (std::vector<long long>{1, 2}));
  EXPECT_EQ(second, (std::vector<long long>{3}));
  EXPECT_FALSE(frame_receivers_present());

  frame_subscription none;
  EXPECT_FALSE(none.active());
  none.end();  // ending nothing, or twice, is harmless
  none.end();
}

TEST(FrameSubscription, AReceiverMayEndItsOwnSubscription) {
  int calls = 0;
  frame_subscription once;
  once = frame_subscription([&](const presented_frame&) {
    ++calls;
    once.end();
  });
  present(101, 1);
  present(101, 2);
  EXPECT_EQ(calls, 1);
  EXPECT_FALSE(once.active());
}

TEST(FrameSubscription, EndingWaitsForTheDeliveryUnderWay) {
  std::atomic<bool> receiving{false}, release{false}, received{false};
  frame_subscription frames([&](const presented_frame&) {
    receiving = true;
    while (!release) std::this_thread::yield();
    received = true;
  });
  std::thread drawing([] { present(101, 1); });
  while (!receiving) std::this_thread::yield();

  bool finished_before_end_returned = false;
  std::thread ending([&] {
    frames.end();
    finished_before_end_returned = received.load();
  });
  release = true;
  ending.join();
  drawing.join();
  EXPECT_TRUE(finished_before_end_returned);
  EXPECT_FALSE(frames.active());
}

}  // namespace
}  // namespace mapplot
