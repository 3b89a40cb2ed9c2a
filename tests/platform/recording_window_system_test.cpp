// The log the screen map's tests compare against.
#include "platform/recording_window_system.hpp"

#include <gtest/gtest.h>

#include "textout/console_capture.hpp"

namespace mapplot {
namespace {

TEST(RecordingWindowSystem, LogsEachCallWithItsArguments) {
  recording_window_system recorder;
  recorder.open_graphics_window(101, "Julia set");
  recorder.draw_rectangle(rectangle_style::outline, 1, 1, 270, 270);
  recorder.set_world_window(true, -1.0, 0.1, 3.3571428571428572, 2.0);
  recorder.draw_rectangle_world(rectangle_style::filled, 0, 0, 0.5, 0.5);
  recorder.set_font("t'modern'h14w9");
  recorder.draw_text("   min = -1.00");
  recorder.wait_for_enter();
  EXPECT_EQ(recorder.calls, (std::vector<std::string>{
                                "open_graphics_window 101 \"Julia set\"",
                                "draw_rectangle outline 1 1 270 270",
                                "set_world_window true -1 0.10000000000000001 "
                                "3.3571428571428572 2",
                                "draw_rectangle_world filled 0 0 0.5 0.5",
                                "set_font \"t'modern'h14w9\"",
                                "draw_text \"   min = -1.00\"",
                                "wait_for_enter",
                            }));
}

TEST(WindowSystem, WithNothingInstalledDrawingIsDiscarded) {
  install_window_system(nullptr);
  console_capture console;
  window_system& fallback = current_window_system();
  current_window_system();
  // Said once per program (an earlier test may already have seen it said).
  EXPECT_LE(console.lines.size(), 1u);
  for (const auto& line : console.lines)
    EXPECT_EQ(line, "  Warning: no windowing layer is running, maps are not drawn");
  fallback.open_graphics_window(101, "Julia set");
  fallback.draw_rectangle_world(rectangle_style::filled, 0, 0, 1, 1);
  fallback.wait_for_enter();  // must not block
  EXPECT_EQ(dynamic_cast<recording_window_system*>(&fallback), nullptr);

  recording_window_system recorder;
  install_window_system(&recorder);
  current_window_system().clear_window();
  install_window_system(nullptr);
  EXPECT_EQ(recorder.calls, std::vector<std::string>{"clear_window"});
  EXPECT_NE(&current_window_system(), &recorder);
}

}  // namespace
}  // namespace mapplot
