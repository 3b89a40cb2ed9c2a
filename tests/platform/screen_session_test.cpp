// screen_map inside a Qt program of the caller's own: the test's QApplication
// on the offscreen platform, a screen_session, and worker threads drawing.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <limits>
#include <mapplot/application.hpp>
#include <mapplot/screen_map.hpp>
#include <mapplot/screen_session.hpp>
#include <mapplot/window_pictures.hpp>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/cancellation.hpp"
#include "platform/qt/graphics_view.hpp"
#include "platform/qt/session_layer.hpp"
#include "platform/window_system.hpp"
#include "qt_application.hpp"

namespace mapplot {
namespace {

constexpr std::uint32_t grey(int level) {
  return 0xff000000u | static_cast<std::uint32_t>(level) * 0x010101u;
}
constexpr std::uint32_t navy = 0xff000080u;  // NaN shows the map's background

// Console lines as the callback receives them, from any thread.
struct received_lines {
  std::mutex lock;
  std::vector<std::string> lines;
  screen_session::console_callback callback() {
    return [this](std::string_view line) {
      std::scoped_lock guard(lock);
      lines.emplace_back(line);
    };
  }
};

// The four cells of a 2 x 2 map in the 581 x 271 canvas of a 580 x 270 layout: the map square spans
// pixels 4..267 for x 0..1 and y 1..0, so these pixels lie well inside the
// quarters of cells (0,0), (1,0), (0,1) and (1,1).
std::uint32_t pixel(const window_picture& picture, int column, int row) {
  return picture.pixels.at(static_cast<std::size_t>(row) * static_cast<std::size_t>(picture.width) +
                           static_cast<std::size_t>(column));
}
struct cell_pixels {
  std::uint32_t bottom_left, bottom_right, top_left, top_right;
};
cell_pixels cells_of(const window_picture& picture) {
  return {pixel(picture, 60, 210), pixel(picture, 200, 210), pixel(picture, 60, 60),
          pixel(picture, 200, 60)};
}

class ScreenSession : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testing::ensure_qt_application(); }

  const std::vector<double> x{0, 1};
  const std::vector<double> y{0, 1};
};

TEST_F(ScreenSession, WorkerFramesReachTheWindowAndConsoleLinesTheCallback) {
  received_lines console;
  screen_session session(console.callback());

  std::thread worker([&] {
    const std::vector<double> rising{0, 1, 2, 3};
    screen_map(x, y, rising, {.title = "session", .ownwindow = true});
    const std::optional<window_picture> prepared = presented_picture(101);
    ASSERT_TRUE(prepared);
    EXPECT_EQ(prepared->frame_number, 1);
    const cell_pixels first = cells_of(*prepared);
    EXPECT_EQ(first.bottom_left, grey(0));
    EXPECT_EQ(first.bottom_right, grey(85));
    EXPECT_EQ(first.top_left, grey(170));
    EXPECT_EQ(first.top_right, grey(255));

    const std::vector<double> falling{3, 2, 1, std::numeric_limits<double>::quiet_NaN()};
    screen_map(x, y, falling, {.ownwindow = true, .update = true});
  });
  worker.join();

  const std::optional<window_picture> updated = presented_picture(101);
  ASSERT_TRUE(updated);
  EXPECT_EQ(updated->frame_number, 2);
  EXPECT_EQ(updated->width, 581);
  EXPECT_EQ(updated->height, 271);
  const cell_pixels second = cells_of(*updated);
  EXPECT_EQ(second.bottom_left, grey(255));
  EXPECT_EQ(second.bottom_right, grey(128));
  EXPECT_EQ(second.top_left, grey(0));
  EXPECT_EQ(second.top_right, navy);
  {
    std::scoped_lock guard(console.lock);
    ASSERT_EQ(console.lines.size(), 1u);
    EXPECT_EQ(console.lines[0],
              "  Warning: 1 of 4 values not finite, NaN shown blue, -inf black, +inf white");
  }

  // There is no console to wait on: refused before anything is drawn, in the
  // console window or in the own window that is current.
  const std::vector<double> values{0, 1, 2, 3};
  EXPECT_THROW(screen_map(x, y, values, {.ownwindow = false}), std::logic_error);
  EXPECT_THROW(screen_map(x, y, values, {.ownwindow = false, .update = true}), std::logic_error);
  EXPECT_EQ(presented_picture(101)->frame_number, 2);
  EXPECT_FALSE(presented_picture(0));
  EXPECT_FALSE(presented_picture(102));
}

TEST_F(ScreenSession, OnlyOneLayerAtATimeAndItEndsWithTheSession) {
  std::optional<screen_session> session(std::in_place);
  EXPECT_THROW(screen_session second, std::logic_error);
  char name[] = "screen_session_test";
  char* arguments[] = {name, nullptr};
  EXPECT_THROW(run_windowed_program(1, arguments, "nested", [] {}), std::logic_error);

  // A worker in the middle of a call holds the layer's window system; once
  // the session is gone its next operation gives up instead of drawing into
  // a destroyed window.
  window_system& held = current_window_system();
  EXPECT_FALSE(held.has_console());
  session.reset();
  EXPECT_THROW(held.present_frame(), program_cancelled);
  EXPECT_FALSE(presented_picture(101));

  // The layer is free again, and a new session draws from a fresh start.
  received_lines console;
  screen_session next(console.callback());
  std::vector<presented_frame> frames;
  frame_subscription watch([&](const presented_frame& frame) { frames.push_back(frame); });
  std::thread worker([&] {
    const std::vector<float> xs{0, 1}, ys{0, 1}, values{0, 1, 2, 3};
    screen_map(xs, ys, values, {.ownwindow = true});
  });
  worker.join();
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_GT(frames[0].window_number, 100);
  const std::optional<window_picture> picture = presented_picture(frames[0].window_number);
  ASSERT_TRUE(picture);
  EXPECT_EQ(cells_of(*picture).top_right, grey(255));
}

// Runs the test's event loop until `done` holds or `limit` has passed; whether
// it holds.
bool events_until(const std::function<bool()>& done,
                  std::chrono::milliseconds limit = std::chrono::seconds(5)) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return true;
}

// Joined when it goes, after the session declared later has cancelled it.
struct joined_thread {
  std::thread thread;
  ~joined_thread() {
    if (thread.joinable()) thread.join();
  }
};

// The window each presented frame was in, from any thread.
struct presented_windows {
  std::mutex lock;
  std::vector<int> numbers;
  frame_subscription subscription{[this](const presented_frame& frame) {
    std::scoped_lock guard(lock);
    numbers.push_back(frame.window_number);
  }};
  int last() {
    std::scoped_lock guard(lock);
    return numbers.empty() ? 0 : numbers.back();
  }
};

void press_space(QWidget& window) {
  QKeyEvent press(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier);
  QApplication::sendEvent(&window, &press);
}

// The session's windows as a display shows them (the offscreen platform's,
// which paint as a display's do): the user closes one that a worker animates
// while the worker waits, paused, for its turn.
TEST_F(ScreenSession, ClosingAWindowCancelsTheCallsThatDrawIntoItAndNoOthers) {
  const std::vector<double> values{0, 1, 2, 3};
  presented_windows presented;
  std::atomic<int> updates{0};
  std::atomic<bool> cancelled{false}, later_call_cancelled{false}, later_done{false};
  joined_thread kept_worker, animating_worker, later_worker;
  session_layer layer({}, display_mode::on_screen);
  const auto shown = [&](int number) {
    const graphics_view* view = layer.graphics_window(number);
    return view != nullptr && view->isVisible();
  };

  kept_worker.thread = std::thread([&] { screen_map(x, y, values, {.ownwindow = true}); });
  ASSERT_TRUE(events_until([&] { return presented.last() > 0 && shown(presented.last()); }));
  const int kept = presented.last();

  animating_worker.thread = std::thread([&] {
    try {
      screen_map(x, y, values, {.ownwindow = true});
      for (;;) {
        screen_map(x, y, values, {.ownwindow = true, .update = true});
        ++updates;
      }
    } catch (const program_cancelled&) {
      cancelled = true;
    }
    // The window is not opened again.
    try {
      screen_map(x, y, values, {.ownwindow = true, .update = true});
    } catch (const program_cancelled&) {
      later_call_cancelled = true;
    }
  });
  ASSERT_TRUE(events_until([&] { return presented.last() != kept && updates > 2; }));
  const int closed = presented.last();
  ASSERT_TRUE(shown(closed));

  // Paused, the worker waits for its turn: no more frames come.
  press_space(*layer.graphics_window(closed));
  events_until([] { return false; }, std::chrono::milliseconds(300));
  const int updates_when_paused = updates;
  events_until([] { return false; }, std::chrono::milliseconds(300));
  ASSERT_EQ(updates, updates_when_paused);
  ASSERT_FALSE(cancelled);

  layer.graphics_window(closed)->close();
  ASSERT_TRUE(events_until([&] { return cancelled.load(); }));
  EXPECT_EQ(updates, updates_when_paused);  // the waiting call was the one cancelled
  animating_worker.thread.join();
  EXPECT_TRUE(later_call_cancelled);

  // The pace goes on from the window that is left, whose worker's next
  // window draws as before; the closed one stays closed.
  press_space(*layer.graphics_window(kept));
  later_worker.thread = std::thread([&] {
    try {
      screen_map(x, y, values, {.ownwindow = true});
      for (int frame = 2; frame <= 5; ++frame)
        screen_map(x, y, values, {.ownwindow = true, .update = true});
      later_done = true;
    } catch (const program_cancelled&) {
    }
  });
  ASSERT_TRUE(events_until([&] { return later_done.load(); }));
  const int later = presented.last();
  EXPECT_GT(later, closed);
  EXPECT_EQ(presented_picture(later)->frame_number, 5);
  EXPECT_TRUE(events_until([&] { return shown(later); }));
  EXPECT_TRUE(shown(kept));
  EXPECT_FALSE(shown(closed));
  EXPECT_EQ(presented_picture(closed)->frame_number, updates_when_paused + 1);
}

}  // namespace
}  // namespace mapplot
