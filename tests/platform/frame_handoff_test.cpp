// The hand-off of whole frames from the program's thread to the screen: a
// canvas painted by a slow stand-in for the GUI thread, the pace that holds
// frames back, and the receivers that get every presented frame.
#include <gtest/gtest.h>

#include <QApplication>
#include <atomic>
#include <chrono>
#include <functional>
#include <mapplot/window_pictures.hpp>
#include <optional>
#include <set>
#include <thread>
#include <vector>

#include "platform/frame_pace.hpp"
#include "platform/qt/canvas_drawing.hpp"
#include "platform/qt/qt_window_system.hpp"
#include "platform/qt/window_canvas.hpp"
#include "qt_application.hpp"
namespace mapplot {
namespace {

using namespace std::chrono_literals;

// Bounded by time, never by a count of rounds.
bool becomes_true(const std::function<bool()>& condition) {
  const auto deadline = std::chrono::steady_clock::now() + 20s;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(1ms);
  }
  return true;
}

// The one colour of a picture, or nothing when it holds two.
std::optional<QRgb> uniform_colour(const QImage& picture) {
  if (picture.isNull()) return std::nullopt;
  const QRgb first = picture.pixel(0, 0);
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x) {
      if (picture.pixel(x, y) != first) return std::nullopt;
    }
  }
  return first;
}

QRgb colour_of_frame(int frame) {
  return qRgb(frame, 255 - frame, 7);
}

// Frame k is painted in colour k, band by band, so a picture taken while a
// frame is half drawn holds two colours.
void draw_banded_frame(window_canvas& canvas, int frame) {
  constexpr int bands = 8, band_height = 4, width = 40;
  for (int band = 0; band < bands; ++band) {
    canvas.draw([&](QImage& image, const drawing_state&) {
      grow_canvas(image, width, bands * band_height);
      const QRgb colour = colour_of_frame(frame);
      fill_pixels(
          image, {0, band * band_height, width - 1, (band + 1) * band_height - 1},
          {static_cast<std::uint8_t>(qRed(colour)), static_cast<std::uint8_t>(qGreen(colour)),
           static_cast<std::uint8_t>(qBlue(colour))});
    });
    std::this_thread::yield();
  }
}

TEST(WindowCanvas, ASlowPaintSeesEveryFrameOnceAndNeverHalfDrawn) {
  constexpr int frames = 40;
  // A paint wait far beyond any test run, so that no frame may be passed over.
  window_canvas canvas(101, std::chrono::hours(1));
  frame_pace pace(0s);
  canvas.set_shown(true);

  std::atomic<bool> program_done{false};
  std::thread program([&] {
    for (int frame = 1; frame <= frames; ++frame) {
      draw_banded_frame(canvas, frame);
      EXPECT_EQ(canvas.present(&pace), frame);
    }
    program_done = true;
  });

  std::vector<int> painted;  // the frame shown by each paint, by its colour
  bool torn = false;
  while (!(program_done && !painted.empty() && painted.back() == frames)) {
    canvas.paint([&](const QImage& front) {
      std::this_thread::sleep_for(2ms);  // a paint slower than the drawing
      const auto colour = uniform_colour(front);
      if (front.isNull()) return;
      if (!colour) {
        torn = true;
        return;
      }
      painted.push_back(qRed(*colour));
    });
  }
  program.join();

  EXPECT_FALSE(torn) << "a paint saw a frame half drawn";
  const std::set<int> seen(painted.begin(), painted.end());
  EXPECT_EQ(seen.size(), static_cast<std::size_t>(frames)) << "a frame was never painted";
  EXPECT_TRUE(std::is_sorted(painted.begin(), painted.end())) << "frames out of order";
  EXPECT_EQ(canvas.frame_number(), frames);
}

TEST(WindowCanvas, PresentingWaitsForThePreviousPaintUntilHiddenOrCancelled) {
  window_canvas canvas(101, std::chrono::hours(1));
  frame_pace pace(0s);
  canvas.set_shown(true);
  draw_banded_frame(canvas, 1);
  ASSERT_EQ(canvas.present(&pace), 1);

  // Frame 1 is never painted: frame 2 waits until the window is hidden.
  std::optional<long long> second;
  std::thread waiting([&] {
    draw_banded_frame(canvas, 2);
    second = canvas.present(&pace);
  });
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(canvas.frame_number(), 1);
  canvas.set_shown(false);
  waiting.join();
  EXPECT_EQ(second, 2);

  // Shown again and unpainted: cancelling ends the wait with nothing presented.
  canvas.set_shown(true);
  std::optional<long long> third{0};
  std::thread cancelled([&] {
    draw_banded_frame(canvas, 3);
    third = canvas.present(&pace);
  });
  std::this_thread::sleep_for(50ms);
  canvas.cancel();
  cancelled.join();
  EXPECT_EQ(third, std::nullopt);
  EXPECT_EQ(uniform_colour(canvas.presented_image()), colour_of_frame(2));
}

TEST(FramePace, PausedOnlyAStepLetsAFrameThrough) {
  frame_pace pace(0s);
  pace.pause();
  std::atomic<int> presented{0};
  std::thread program([&] {
    while (pace.wait_for_turn(frame_pace::clock::now(), 0s)) ++presented;
  });
  std::this_thread::sleep_for(30ms);
  EXPECT_EQ(presented, 0);
  pace.step();
  ASSERT_TRUE(becomes_true([&] { return presented == 1; }));
  std::this_thread::sleep_for(30ms);
  EXPECT_EQ(presented, 1) << "one step let more than one frame through";
  pace.step();
  pace.step();
  ASSERT_TRUE(becomes_true([&] { return presented == 3; }));
  pace.resume();
  ASSERT_TRUE(becomes_true([&] { return presented > 10; }));
  pace.pause();
  pace.cancel();
  program.join();

  // A step not taken before the pace resumes is gone at the next pause.
  frame_pace stepped(0s);
  stepped.pause();
  stepped.step();
  stepped.resume();
  stepped.pause();
  std::atomic<bool> turn_given{false};
  std::thread waiting([&] { turn_given = stepped.wait_for_turn(std::nullopt, 0s).has_value(); });
  std::this_thread::sleep_for(30ms);
  stepped.cancel();
  waiting.join();
  EXPECT_FALSE(turn_given) << "a step from before the resume let a frame through";
}

// While paused, a window that gives up (closed) leaves the pace's wait; a
// wait for another window stays until its turn comes.
TEST(FramePace, AWindowThatGivesUpLeavesItsWaitAndOnlyItsOwn) {
  frame_pace pace(0s);
  pace.pause();
  std::atomic<bool> closed{false}, kept{false};
  std::atomic<int> closed_wait_ended{0}, kept_wait_ended{0};
  std::optional<frame_pace::clock::time_point> closed_turn, kept_turn;
  std::thread closing([&] {
    closed_turn = pace.wait_for_turn(std::nullopt, 0s, &closed);
    ++closed_wait_ended;
  });
  std::thread staying([&] {
    kept_turn = pace.wait_for_turn(std::nullopt, 0s, &kept);
    ++kept_wait_ended;
  });
  std::this_thread::sleep_for(30ms);
  closed = true;
  pace.wake_waits();
  EXPECT_TRUE(becomes_true([&] { return closed_wait_ended == 1; }))
      << "the closed window's wait went on";
  std::this_thread::sleep_for(30ms);
  EXPECT_EQ(kept_wait_ended, 0) << "waking the waits let another window through";
  pace.resume();
  staying.join();
  EXPECT_TRUE(kept_turn);
  pace.cancel();
  closing.join();
  EXPECT_EQ(closed_turn, std::nullopt);
}

// Turns fall on a grid one period apart: the pace's interval, but never less
// than the screen's refresh period. Asked for late (the frame took long), a
// turn still falls on the grid; asked for more than a whole period late, a
// new grid starts now. Turns due in the past come at once, so nothing here
// waits.
TEST(FramePace, TurnsKeepTheirGridAndAStallStartsANewOne) {
  using clock = frame_pace::clock;
  frame_pace pace(0s);  // as fast as the screen goes
  const clock::duration screen = 2s;
  clock::time_point previous = clock::now() - 3s;
  EXPECT_EQ(pace.wait_for_turn(previous, screen), previous + screen)
      << "a pace faster than the screen's rate gave a turn before the next refresh";

  pace.set_interval(4s);
  previous = clock::now() - 6s;
  EXPECT_EQ(pace.wait_for_turn(previous, screen), previous + 4s);

  // Stalled for more than a whole period: the turn is now, not behind.
  previous = clock::now() - 9s;
  const clock::time_point asked = clock::now();
  const auto turn = pace.wait_for_turn(previous, screen);
  ASSERT_TRUE(turn.has_value());
  EXPECT_GE(*turn, asked);
  const auto first = pace.wait_for_turn(std::nullopt, screen);
  ASSERT_TRUE(first.has_value());
  EXPECT_GE(*first, asked) << "a window's first frame waits for no grid";
}

// '-' halves the pace from at least the screen's rate, so that a pace of 0
// slows down too, down to one frame a second; '+' doubles it up to the
// screen's rate and never beyond.
TEST(FramePace, HalvingAndDoublingStayBetweenTheScreensRateAndOneASecond) {
  using namespace std::chrono;
  const auto screen = duration_cast<frame_pace::clock::duration>(milliseconds(16));
  frame_pace pace(0s);
  pace.halve_pace(screen);
  EXPECT_EQ(pace.interval(), 2 * screen);
  pace.halve_pace(screen);
  EXPECT_EQ(pace.interval(), 4 * screen);
  for (int k = 0; k < 10; ++k) pace.halve_pace(screen);
  EXPECT_EQ(pace.interval(), frame_pace::slowest_interval);
  pace.double_pace(screen);
  EXPECT_EQ(pace.interval(), frame_pace::slowest_interval / 2);
  for (int k = 0; k < 10; ++k) pace.double_pace(screen);
  EXPECT_EQ(pace.interval(), screen);
  pace.set_interval(milliseconds(20));
  pace.double_pace(screen);
  EXPECT_EQ(pace.interval(), screen) << "doubled past the screen's rate";
}

// A window that does not paint in time stops holding the program up: the
// frame after is presented once the wait runs out, and the one after that
// without waiting for the second unpainted frame. A paint ends the stall:
// the next frame waits for its paint again.
TEST(WindowCanvas, AStalledWindowStopsHoldingFramesUpUntilItPaintsAgain) {
  constexpr auto paint_wait = 3s;
  window_canvas canvas(101, paint_wait);
  frame_pace pace(0s);
  canvas.set_shown(true);
  draw_banded_frame(canvas, 1);
  ASSERT_EQ(canvas.present(&pace), 1);
  draw_banded_frame(canvas, 2);
  ASSERT_EQ(canvas.present(&pace), 2) << "an unpainted window held the frame for good";

  // Stalled: frame 3 does not wait out another paint wait for frame 2.
  std::atomic<bool> presented{false};
  std::thread third([&] {
    draw_banded_frame(canvas, 3);
    presented = canvas.present(&pace).has_value();
  });
  const auto asked = std::chrono::steady_clock::now();
  while (!presented && std::chrono::steady_clock::now() - asked < paint_wait / 2)
    std::this_thread::sleep_for(1ms);
  EXPECT_TRUE(presented) << "a stalled window still held frames up";
  third.join();

  // Painted again: frame 4 goes at once, frame 5 waits for frame 4's paint.
  canvas.paint([](const QImage&) {});
  draw_banded_frame(canvas, 4);
  ASSERT_EQ(canvas.present(&pace), 4);
  presented = false;
  std::thread fifth([&] {
    draw_banded_frame(canvas, 5);
    presented = canvas.present(&pace).has_value();
  });
  std::this_thread::sleep_for(50ms);
  EXPECT_FALSE(presented) << "presented over an unpainted frame after the window painted again";
  canvas.paint([](const QImage&) {});
  fifth.join();
  EXPECT_TRUE(presented);
  EXPECT_EQ(canvas.frame_number(), 5);
}

// A served viewer stands in for a window's paint: its sight of the presented
// frame lets the next one through; the sight of an older one does not, but
// says the viewer keeps up again after a stall.
TEST(WindowCanvas, AFrameSeenElsewhereCountsAsItsPaintAndAnOlderOneEndsAStall) {
  constexpr auto paint_wait = 1s;
  window_canvas canvas(101, paint_wait);
  frame_pace pace(0s);
  canvas.set_shown(true);
  draw_banded_frame(canvas, 1);
  ASSERT_EQ(canvas.present(&pace), 1);
  std::atomic<bool> presented{false};
  std::thread second([&] {
    draw_banded_frame(canvas, 2);
    presented = canvas.present(&pace).has_value();
  });
  std::this_thread::sleep_for(50ms);
  canvas.frame_seen(0);
  canvas.frame_seen(2);  // not presented yet: no sight of it
  std::this_thread::sleep_for(50ms);
  EXPECT_FALSE(presented) << "a frame went on before the viewer saw the one before";
  canvas.frame_seen(1);
  second.join();
  EXPECT_TRUE(presented);

  // Frame 2 unseen: frame 3 waits out the paint wait, and the canvas stalls.
  draw_banded_frame(canvas, 3);
  const auto asked = std::chrono::steady_clock::now();
  ASSERT_EQ(canvas.present(&pace), 3);
  EXPECT_GE(std::chrono::steady_clock::now() - asked, paint_wait / 2);
  // A late sight of frame 2 ends the stall: frame 4 waits for frame 3's again.
  canvas.frame_seen(2);
  presented = false;
  std::thread fourth([&] {
    draw_banded_frame(canvas, 4);
    presented = canvas.present(&pace).has_value();
  });
  std::this_thread::sleep_for(50ms);
  EXPECT_FALSE(presented) << "still stalled after the viewer caught up";
  canvas.frame_seen(3);
  fourth.join();
  EXPECT_TRUE(presented);
}

// Off screen nothing waits, unless someone watches the served windows: then
// frames keep the pace (a pause holds them), and once nobody watches any
// more the run goes on by itself.
TEST(QtWindowSystem, OffScreenFramesKeepThePaceOnlyWhileWatched) {
  qt_window_system system(display_mode::off_screen);
  system.open_graphics_window(101, "watched");
  system.set_viewport(0, 0, 9, 9);
  system.pace().pause();
  system.draw_rectangle(rectangle_style::filled, 0, 0, 9, 9);
  system.present_frame();  // unwatched: the pause does not hold it
  EXPECT_EQ(system.canvases().numbered(101).frame_number(), 1);

  system.set_watched(true);
  system.canvases().numbered(101).frame_seen(1);
  std::atomic<bool> presented{false};
  std::thread program([&] {
    system.draw_rectangle(rectangle_style::filled, 0, 0, 9, 9);
    system.present_frame();
    presented = true;
  });
  std::this_thread::sleep_for(100ms);
  EXPECT_FALSE(presented) << "a watched run went past the pause";
  system.pace().step();
  EXPECT_TRUE(becomes_true([&] { return presented.load(); }));
  program.join();
  EXPECT_EQ(system.canvases().numbered(101).frame_number(), 2);

  // Frame 2 is not seen and the pause holds: the last viewer leaving lets
  // the run go on.
  presented = false;
  std::thread unwatched([&] {
    system.draw_rectangle(rectangle_style::filled, 0, 0, 9, 9);
    system.present_frame();
    presented = true;
  });
  std::this_thread::sleep_for(100ms);
  EXPECT_FALSE(presented);
  system.set_watched(false);
  EXPECT_TRUE(becomes_true([&] { return presented.load(); }));
  unwatched.join();
  EXPECT_FALSE(system.pace().paused());
}

class FrameReceivers : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testing::ensure_qt_application(); }
  void SetUp() override { install_window_system(&system); }
  void TearDown() override { install_window_system(nullptr); }

  // Draws frame `frame` of window `number` on a program thread and presents it.
  void present_on_program_thread(int number, int frame) {
    std::thread program([&] {
      system.focus_graphics_window(number);
      system.set_color_rgb(frame, 255 - frame, 7);
      system.draw_rectangle(rectangle_style::filled, 0, 0, 29, 19);
      system.present_frame();
      system.present_frame();  // nothing new: no frame
    });
    program.join();
  }

  qt_window_system system{display_mode::off_screen};
};

TEST_F(FrameReceivers, GetEveryPresentedFrameAsShownUntilRemoved) {
  struct received {
    int window;
    long long frame;
    std::vector<std::uint32_t> pixels;
  };
  std::vector<received> frames;
  const int id = add_frame_receiver([&](const presented_frame& frame) {
    EXPECT_EQ(frame.pixels.size(), static_cast<std::size_t>(frame.width) * frame.height);
    frames.push_back({frame.window_number, frame.frame_number,
                      std::vector<std::uint32_t>(frame.pixels.begin(), frame.pixels.end())});
  });
  // One that takes a single frame and removes itself.
  int single_id = 0;
  int single_calls = 0;
  single_id = add_frame_receiver([&](const presented_frame&) {
    ++single_calls;
    remove_frame_receiver(single_id);
  });

  present_on_program_thread(101, 1);
  present_on_program_thread(102, 2);
  present_on_program_thread(101, 3);
  remove_frame_receiver(id);
  present_on_program_thread(101, 4);

  EXPECT_EQ(single_calls, 1);
  ASSERT_EQ(frames.size(), 3u);
  EXPECT_EQ(frames[0].window, 101);
  EXPECT_EQ(frames[0].frame, 1);
  EXPECT_EQ(frames[1].window, 102);
  EXPECT_EQ(frames[1].frame, 1);
  EXPECT_EQ(frames[2].frame, 2);
  EXPECT_EQ(frames[2].pixels.front(), 0xff000000u | colour_of_frame(3));

  // What a window shows now is its last frame, with its number.
  const auto shown = presented_picture(101);
  ASSERT_TRUE(shown.has_value());
  EXPECT_EQ(shown->frame_number, 3);
  EXPECT_EQ(shown->width, 30);
  EXPECT_EQ(shown->height, 20);
  EXPECT_EQ(shown->pixels.front(), 0xff000000u | colour_of_frame(4));
  EXPECT_EQ(presented_picture(55), std::nullopt);
}

}  // namespace
}  // namespace mapplot
