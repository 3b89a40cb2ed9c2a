// julia_zoom as a process of its own, stopped by signals as a user stops it:
// twice in quick succession while the video is being made, and while a FIFO
// among its outputs waits for a reader that never comes.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "../program/child_process.hpp"
#include "scratch_folder.hpp"

namespace mapplot::testing {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

const std::string program = MAPPLOT_BINARY_DIR "/apps/julia_zoom/julia_zoom";

// Whether process `pid` has a handler for `signal_number`: the windowing
// layer has taken the signals over.
bool catches(int pid, int signal_number) {
  std::istringstream status(read_file("/proc/" + std::to_string(pid) + "/status"));
  for (std::string line; std::getline(status, line);)
    if (line.starts_with("SigCgt:"))
      return (std::stoull(line.substr(7), nullptr, 16) >> (signal_number - 1) & 1) != 0;
  return false;
}

// Whether the routine and the main thread of process `pid` both sleep, the
// one waiting for something, the other for the routine.
bool all_threads_wait(int pid) {
  int waiting = 0;
  const fs::path tasks = "/proc/" + std::to_string(pid) + "/task";
  std::error_code gone;
  for (const auto& task : fs::directory_iterator(tasks, gone)) {
    const std::string stat = read_file(task.path().string() + "/stat");
    const auto after_name = stat.rfind(") ");
    if (after_name == std::string::npos || stat[after_name + 2] != 'S') return false;
    ++waiting;
  }
  return waiting >= 2;
}

// The processes of group `group` that still run (not ended and unreaped).
int running_in_group(int group) {
  int running = 0;
  for (const auto& entry : fs::directory_iterator("/proc")) {
    const std::string stat = read_file(entry.path().string() + "/stat");
    const auto after_name = stat.rfind(") ");
    if (after_name == std::string::npos) continue;
    std::istringstream fields(stat.substr(after_name + 2));
    char state = 0;
    int parent = 0, process_group = 0;
    fields >> state >> parent >> process_group;
    if (process_group == group && state != 'Z') ++running;
  }
  return running;
}

class JuliaZoomSignals : public ::testing::Test {
 protected:
  JuliaZoomSignals() { fs::create_directory(fakes()); }

  fs::path fakes() const { return folder.path() / "fakes"; }
  fs::path file(const char* name) const { return folder.path() / name; }

  process_request request(std::vector<std::string> arguments) const {
    arguments.insert(arguments.begin(), {program, "--offscreen"});
    return {.arguments = std::move(arguments),
            .set_environment = {"PATH=" + fakes().string() + ":" + std::getenv("PATH")},
            .working_directory = folder.name(),
            .timeout = 240s};
  }

  // Waits until `holds` is true of the running program, for at most 60 s.
  template <class Condition>
  static bool waits_for(background_process& zoom, Condition holds) {
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (!holds()) {
      if (!zoom.running() || std::chrono::steady_clock::now() > deadline) return false;
      std::this_thread::sleep_for(20ms);
    }
    return true;
  }

  temporary_folder folder;
};

// The first signal starts the unwinding, which waits for ffmpeg's process
// group: the fake ffmpeg's shell ignores SIGTERM and outlives ffmpeg, so the
// unwinding takes the whole grace before SIGKILL, and the second signal comes
// in the middle of it.
TEST_F(JuliaZoomSignals, TwoSignalsDuringTheVideoLeaveNoTemporaryAndNoFfmpegAndEndByTheSignal) {
  std::ofstream(fakes() / "ffmpeg")
      << "#!/bin/sh\necho $$ > \"$0.pid\"\ntrap '' TERM\n/usr/bin/ffmpeg \"$@\"\nsleep 600\n";
  fs::permissions(fakes() / "ffmpeg", fs::perms::owner_all);
  for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(strsignal(signal_number));
    std::ofstream(file("out.mp4")) << "earlier video";
    background_process zoom(request({"--video", "out.mp4"}));
    const std::string pid_file = (fakes() / "ffmpeg.pid").string();
    // Frames are going into ffmpeg's temporary file.
    ASSERT_TRUE(waits_for(zoom, [&] {
      if (read_file(pid_file).empty()) return false;
      for (const auto& name : names_in(folder.path()))
        if (name.starts_with(".mapplot-") && fs::file_size(folder.path() / name) > 0) return true;
      return false;
    })) << zoom.wait(0s).standard_error;
    const int group = std::stoi(read_file(pid_file));
    zoom.send_signal(signal_number);
    std::this_thread::sleep_for(20ms);
    zoom.send_signal(signal_number);
    const auto result = zoom.wait(60s);
    EXPECT_FALSE(result.timed_out);
    EXPECT_EQ(result.terminating_signal, signal_number) << "exit status " << result.exit_status;
    EXPECT_EQ(file_contents(file("out.mp4")), "earlier video");
    EXPECT_EQ(names_in(folder.path()), (std::set<std::string>{"fakes", "out.mp4"}));
    // SIGKILL has been sent to the group; its end may take a moment.
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (running_in_group(group) > 0 && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(20ms);
    EXPECT_EQ(running_in_group(group), 0) << "ffmpeg's process group still runs";
    fs::remove(pid_file);
  }
}

// A FIFO as the video, or among the frames, that no process opens for
// reading: the program waits for a reader, and each signal ends the wait and
// the run, by that signal, leaving the FIFO and nothing else. The frames' FIFO
// is the first frame, so the run cannot have gone past it.
TEST_F(JuliaZoomSignals, ASignalEndsTheWaitForAFifosReader) {
  fs::create_directory(file("frames"));
  ASSERT_EQ(::mkfifo(file("out.mp4").c_str(), 0600), 0);
  ASSERT_EQ(::mkfifo(file("frames/frame-001.png").c_str(), 0600), 0);
  struct run {
    std::vector<std::string> arguments;
    int signal_number;
  };
  for (const run& each : {run{{"--video", "out.mp4"}, SIGINT}, run{{"--video", "out.mp4"}, SIGHUP},
                          run{{"--frames", "frames"}, SIGTERM}}) {
    SCOPED_TRACE(each.arguments[0] + " " + strsignal(each.signal_number));
    background_process zoom(request(each.arguments));
    // The layer has taken the signal over, and the run has come to a wait that
    // lasts: 10 looks in a row find every thread asleep.
    int quiet_looks = 0;
    ASSERT_TRUE(waits_for(zoom, [&] {
      quiet_looks = catches(zoom.pid(), each.signal_number) && all_threads_wait(zoom.pid())
                        ? quiet_looks + 1
                        : 0;
      return quiet_looks == 10;
    })) << zoom.wait(0s).standard_error;
    zoom.send_signal(each.signal_number);
    const auto result = zoom.wait(20s);
    EXPECT_FALSE(result.timed_out) << "the wait for a reader outlasted the signal";
    EXPECT_EQ(result.terminating_signal, each.signal_number) << result.standard_error;
    EXPECT_EQ(names_in(folder.path()), (std::set<std::string>{"fakes", "frames", "out.mp4"}));
    EXPECT_EQ(names_in(file("frames")), std::set<std::string>{"frame-001.png"});
    EXPECT_TRUE(fs::is_fifo(file("out.mp4")));
    EXPECT_TRUE(fs::is_fifo(file("frames/frame-001.png")));
  }
}

}  // namespace
}  // namespace mapplot::testing
