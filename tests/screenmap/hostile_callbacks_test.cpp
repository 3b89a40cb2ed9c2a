// A function-backed map_widget against callbacks that throw what they like,
// block, or ignore `cancel`: the widget reports, never ends the program, and
// its GUI thread never waits for a computation. Run under the sanitizers,
// these also check that no worker outlives what it uses.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QWheelEvent>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mapplot/map_widget.hpp>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include "platform/qt_application.hpp"

namespace mapplot {
namespace {

// Processes events until `done` holds; false when it never did.
template <class Condition>
bool process_until(Condition done) {
  for (int round = 0; round < 20000 && !done(); ++round)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  return done();
}

bool ramp(const map_viewport& view, std::span<float> values, const std::atomic<bool>&) {
  for (std::size_t k = 0; k < values.size(); ++k) values[k] = static_cast<float>(k % view.columns);
  return true;
}

class HostileCallbacks : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testing::ensure_qt_application(); }
  void SetUp() override { widget->resize(420, 320); }

  // One notch of the wheel over the middle of the map.
  void wheel_notch() {
    const QPoint cursor(80, 80);
    QWheelEvent wheel(QPointF(cursor), widget->mapToGlobal(QPointF(cursor)), QPoint(),
                      QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget.get(), &wheel);
  }

  void drag(QPoint from, QPoint to) {
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(from), widget->mapToGlobal(QPointF(from)),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget.get(), &press);
    QMouseEvent move(QEvent::MouseMove, QPointF(to), widget->mapToGlobal(QPointF(to)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget.get(), &move);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(to), widget->mapToGlobal(QPointF(to)),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget.get(), &release);
  }

  std::string readout() const { return widget->readout().toStdString(); }

  std::unique_ptr<map_widget> widget = std::make_unique<map_widget>();
};

struct not_an_exception {
  int code;
};

TEST_F(HostileCallbacks, WhateverTheFunctionThrowsIsShownAndTheWidgetGoesOn) {
  const std::vector<std::pair<map_function, std::string>> throwers{
      {[](const map_viewport&, std::span<float>, const std::atomic<bool>&) -> bool { throw 7; },
       "The map's function failed: it threw something that is not a std::exception"},
      {[](const map_viewport&, std::span<float>, const std::atomic<bool>&) -> bool {
         throw not_an_exception{3};
       },
       "The map's function failed: it threw something that is not a std::exception"},
      {[](const map_viewport&, std::span<float>, const std::atomic<bool>&) -> bool {
         throw std::runtime_error("no room for the rows");
       },
       "The map's function failed: no room for the rows"}};
  for (const auto& [thrower, shown] : throwers) {
    widget->set_function(thrower, 0, 1, 0, 1);
    widget->grab();
    EXPECT_TRUE(process_until([&] {
      return readout() == std::string("x 0 .. 1   y 0 .. 1\n") + shown;
    })) << readout();
    EXPECT_FALSE(widget->view_computed());
  }
  // A failure is the view's: a good function afterwards is shown as usual.
  widget->set_function(ramp, 0, 1, 0, 1);
  widget->grab();
  EXPECT_TRUE(process_until([&] { return widget->view_computed(); }));
  EXPECT_EQ(readout().rfind("x 0 .. 1   y 0 .. 1", 0), 0u) << readout();
}

TEST_F(HostileCallbacks, ACheckThatThrowsRefusesTheViewAndSaysWhy) {
  bool throw_standard = false;
  widget->set_function(ramp, 0, 1, 0, 1, {}, [&](const map_viewport&) -> std::string {
    if (throw_standard) throw std::invalid_argument("beyond the arithmetic");
    throw 42;
  });
  widget->grab();
  wheel_notch();
  EXPECT_EQ(readout(),
            "x 0 .. 1   y 0 .. 1\n"
            "The view check failed: it threw something that is not a std::exception");
  throw_standard = true;
  drag({100, 100}, {140, 120});
  EXPECT_TRUE(readout().starts_with("x 0 .. 1   y 0 .. 1\n")) << readout();
  EXPECT_TRUE(readout().ends_with("\nThe view check failed: beyond the arithmetic")) << readout();
  widget->grab();
  EXPECT_TRUE(process_until([&] { return widget->view_computed(); }));
}

// A function that waits for the test, ignoring `cancel`, and notes what it
// was asked and how many of its calls ran at once.
struct gate {
  std::mutex lock;
  std::condition_variable changed;
  bool open = false;
  bool forced = false;  // opened by the watchdog: something waited for the function
  int running = 0;
  int most_running = 0;
  std::vector<map_viewport> asked;

  static map_function function(std::shared_ptr<gate> shared) {
    return [shared](const map_viewport& view, std::span<float> values, const std::atomic<bool>&) {
      gate& self = *shared;
      std::unique_lock guard(self.lock);
      self.asked.push_back(view);
      self.most_running = std::max(self.most_running, ++self.running);
      self.changed.notify_all();
      self.changed.wait(guard, [&] { return self.open; });
      --self.running;
      std::fill(values.begin(), values.end(), 1.0f);
      values.front() = 0;
      return true;
    };
  }

  // Were the GUI thread to wait for a blocked call, only this thread, a
  // minute on, would end the wait; `forced` then fails the test.
  static std::jthread watchdog(std::shared_ptr<gate> shared) {
    return std::jthread([shared] {
      std::unique_lock guard(shared->lock);
      if (!shared->changed.wait_for(guard, std::chrono::seconds(60),
                                    [&] { return shared->open; })) {
        shared->forced = true;
        shared->open = true;
        shared->changed.notify_all();
      }
    });
  }

  std::size_t asked_count() {
    const std::lock_guard guard(lock);
    return asked.size();
  }

  bool wait_for_call(std::size_t count) {
    std::unique_lock guard(lock);
    return changed.wait_for(guard, std::chrono::seconds(60), [&] { return asked.size() >= count; });
  }

  void release() {
    const std::lock_guard guard(lock);
    open = true;
    changed.notify_all();
  }
};

TEST_F(HostileCallbacks, TheGuiThreadNeverWaitsForAFunctionThatIgnoresCancel) {
  auto blocking = std::make_shared<gate>();
  std::jthread watchdog = gate::watchdog(blocking);
  widget->set_function(gate::function(blocking), 0, 1, 0, 1);
  widget->grab();
  ASSERT_TRUE(blocking->wait_for_call(1));

  // Two new views and a new function while the first call is blocked.
  wheel_notch();
  widget->grab();
  wheel_notch();
  widget->grab();
  EXPECT_FALSE(widget->view_computed());
  EXPECT_NE(readout().rfind("x 0 .. 1", 0), 0u) << "the view did not change at once";
  widget->set_function(ramp, 10, 20, 0, 1);
  widget->grab();
  EXPECT_EQ(blocking->asked_count(), 1u);

  blocking->release();
  EXPECT_TRUE(process_until([&] { return widget->view_computed(); }));
  watchdog.join();
  EXPECT_FALSE(blocking->forced) << "something waited for the blocked function";
  // Only the first view's coarse call ran: the views asked for meanwhile were
  // dropped unasked, and the first call's result was not shown.
  const std::lock_guard guard(blocking->lock);
  ASSERT_EQ(blocking->asked.size(), 1u);
  EXPECT_TRUE(blocking->asked.front().preview);
  EXPECT_EQ(blocking->most_running, 1);
  EXPECT_EQ(readout().rfind("x 10 .. 20   y 0 .. 1", 0), 0u) << readout();
}

TEST_F(HostileCallbacks, OnlyTheLatestViewIsComputedOneCallAtATime) {
  auto blocking = std::make_shared<gate>();
  std::jthread watchdog = gate::watchdog(blocking);
  widget->set_function(gate::function(blocking), 0, 1, 0, 1);
  widget->grab();
  ASSERT_TRUE(blocking->wait_for_call(1));
  for (int notch = 0; notch < 3; ++notch) {
    wheel_notch();
    widget->grab();
  }
  const std::string latest_view = readout();
  blocking->release();
  EXPECT_TRUE(process_until([&] { return widget->view_computed(); }));
  watchdog.join();
  EXPECT_FALSE(blocking->forced);
  EXPECT_EQ(readout(), latest_view);
  const std::lock_guard guard(blocking->lock);
  // The first view's coarse picture, then the latest view's two pictures.
  ASSERT_EQ(blocking->asked.size(), 3u);
  EXPECT_EQ(blocking->most_running, 1);
  EXPECT_EQ(blocking->asked[0].x1, 0);
  EXPECT_TRUE(blocking->asked[1].preview);
  EXPECT_FALSE(blocking->asked[2].preview);
  EXPECT_EQ(blocking->asked[1].x1, blocking->asked[2].x1);
  EXPECT_GT(blocking->asked[2].x2 - blocking->asked[2].x1, 0.5L);
  EXPECT_LT(blocking->asked[2].x2 - blocking->asked[2].x1, 0.52L) << "three notches: 1 / 1.25^3";
}

TEST_F(HostileCallbacks, DestroyingTheWidgetCancelsAndWaitsForTheCallUnderWay) {
  struct witness {
    std::atomic<bool> entered{false};
    std::atomic<bool> returned{false};
    std::atomic<bool> saw_cancel{false};
  };
  auto seen = std::make_shared<witness>();
  // Were the call still running once the widget is gone, its results would
  // reach a widget that no longer exists: `returned` says it is not.
  widget->set_function(
      [seen](const map_viewport&, std::span<float> values, const std::atomic<bool>& cancel) {
        seen->entered = true;
        while (!cancel.load()) {
          std::fill(values.begin(), values.end(), 0.5f);
          std::this_thread::yield();
        }
        seen->saw_cancel = true;
        seen->returned = true;
        return false;
      },
      0, 1, 0, 1);
  widget->grab();
  while (!seen->entered) std::this_thread::yield();
  widget.reset();
  EXPECT_TRUE(seen->returned);
  EXPECT_TRUE(seen->saw_cancel);
}

}  // namespace
}  // namespace mapplot
