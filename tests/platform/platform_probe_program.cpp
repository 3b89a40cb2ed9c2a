// A small program run through run_windowed_program by the tests, in the way
// julia_zoom is. Its first argument picks what the routine does.
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <mapplot/application.hpp>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>

#include "platform/window_system.hpp"
#include "request/temporary_files.hpp"
#include "textout/write_console.hpp"

namespace {

using mapplot::rectangle_style;

void draw_two_frames() {
  auto& windows = mapplot::current_window_system();
  mapplot::write_console({"first line"});
  windows.open_graphics_window(101, "Julia set");
  windows.focus_graphics_window(101);
  windows.clear_window();
  windows.set_color_index(5);
  windows.draw_rectangle(rectangle_style::outline, 1, 1, 270, 270);
  windows.set_viewport(4, 4, 577, 267);
  windows.set_world_window(true, 0.0, 0.0, 1.0, 1.0);
  windows.set_color_rgb(255, 255, 255);
  windows.draw_rectangle_world(rectangle_style::filled, 0.0, 0.0, 0.25, 0.5);
  mapplot::write_console({std::int32_t{2}, " Ray = ", 1.805f});
}

// Writes "unwound" into its file when destroyed: a routine that was cancelled
// has had its stack unwound when the file says so.
class unwinding_marker {
 public:
  explicit unwinding_marker(std::string path) : path_(std::move(path)) {}
  ~unwinding_marker() { std::ofstream(path_) << "unwound\n"; }
  unwinding_marker(const unwinding_marker&) = delete;
  unwinding_marker& operator=(const unwinding_marker&) = delete;

 private:
  std::string path_;
};

// Presents `frames` frames of window 101 (0: for ever), each with a console
// line, holding a marker.
void hold_frames(const std::string& marker, int frames) {
  const unwinding_marker held(marker);
  auto& windows = mapplot::current_window_system();
  windows.open_graphics_window(101, "Held");
  for (int frame = 1; frames == 0 || frame <= frames; ++frame) {
    const std::string number = std::to_string(frame);
    mapplot::write_console({"frame ", std::string_view(number)});
    windows.set_color_rgb(frame % 256, 0, 0);
    windows.draw_rectangle(rectangle_style::filled, 0, 0, 99, 99);
    windows.present_frame();
    // Off screen nothing waits; this keeps the loop from taking a whole core.
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

}  // namespace

// A second windowing layer, asked for while the first runs.
void run_again(int argc, char** argv) {
  try {
    mapplot::run_windowed_program(argc, argv, "platform_probe", [] {});
    mapplot::write_console({"second layer ran"});
  } catch (const std::logic_error& refused) {
    mapplot::write_console({"refused: ", std::string_view(refused.what())});
  }
}

// What each standard descriptor refers to, as the kernel names it.
void name_standard_descriptors() {
  for (int descriptor = 0; descriptor <= 2; ++descriptor) {
    char target[256] = {};
    const std::string link = "/proc/self/fd/" + std::to_string(descriptor);
    const ssize_t length = ::readlink(link.c_str(), target, sizeof target - 1);
    const std::string line = std::to_string(descriptor) + " " +
                             (length > 0 ? std::string(target, length) : std::string("closed")) +
                             "\n";
    ::write(2, line.data(), line.size());
  }
}

int main(int argc, char** argv) {
  const std::string_view mode = argc > 1 ? argv[1] : "";
  if (mode == "hold-after-output") {
    // An output file written before the layer starts has installed the
    // temporary files' signal handlers; the layer still cancels and unwinds.
    mapplot::withdraw_registration(mapplot::register_temporary_file(AT_FDCWD, "never-made"));
    return mapplot::run_windowed_program(argc, argv, "platform_probe", [argc, argv] {
      if (argc > 3) hold_frames(argv[2], std::stoi(argv[3]));
    });
  }
  return mapplot::run_windowed_program(argc, argv, "platform_probe", [mode, argc, argv] {
    if (mode == "draw") {
      draw_two_frames();
    } else if (mode == "exhaust") {
      throw std::bad_alloc();
    } else if (mode == "fail") {
      throw std::runtime_error("the grid is on fire");
    } else if (mode == "nested") {
      run_again(argc, argv);
    } else if (mode == "concurrent") {
      std::thread([argc, argv] { run_again(argc, argv); }).join();
    } else if (mode == "descriptors") {
      name_standard_descriptors();
      draw_two_frames();
    } else if (mode == "child") {
      // What a child process the routine starts ignores, as a hex mask.
      std::system("sed -n 's/^SigIgn:\\s*//p' /proc/self/status >&2");
    } else if (mode == "hold" && argc > 3) {
      hold_frames(argv[2], std::stoi(argv[3]));
    } else if (mode == "input") {
      mapplot::write_console({"waiting"});
      mapplot::current_window_system().wait_for_enter();
      mapplot::write_console({"went on"});
      mapplot::current_window_system().wait_for_enter();
      mapplot::write_console({"end of input"});
    }
  });
}
