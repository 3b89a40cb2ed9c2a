// The julia_zoom program recording a video, as a process of its own: with
// fake ffmpeg programs first on PATH, a preloaded failing fsync, and signals.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "../program/child_process.hpp"
#include "recorded_frames.hpp"
#include "scratch_folder.hpp"

namespace mapplot::testing {
namespace {

namespace fs = std::filesystem;

const std::string program = MAPPLOT_BINARY_DIR "/apps/julia_zoom/julia_zoom";

// A folder of fake programs put first on PATH; ffprobe stays the real one.
class JuliaZoomVideo : public ::testing::Test {
 protected:
  JuliaZoomVideo() { fs::create_directory(fakes()); }

  fs::path fakes() const { return folder.path() / "fakes"; }
  fs::path file(const char* name) const { return folder.path() / name; }

  void fake_ffmpeg(const std::string& script) const {
    std::ofstream(fakes() / "ffmpeg") << "#!/bin/sh\n" << script;
    fs::permissions(fakes() / "ffmpeg", fs::perms::owner_all);
  }

  process_request request(std::vector<std::string> arguments,
                          std::vector<std::string> environment = {}) const {
    arguments.insert(arguments.begin(), {program, "--offscreen"});
    environment.push_back("PATH=" + fakes().string() + ":" + std::getenv("PATH"));
    return {.arguments = std::move(arguments),
            .set_environment = std::move(environment),
            .working_directory = folder.name(),
            .timeout = std::chrono::seconds(240)};
  }

  temporary_folder folder;
};

// ffmpeg's exit status is not taken on trust.
TEST_F(JuliaZoomVideo, AnFfmpegThatWritesNothingFailsTheRunAndKeepsTheEarlierVideo) {
  fake_ffmpeg("cat > /dev/null\nexit 0\n");
  std::ofstream(file("zoom.mp4")) << "earlier video";
  const auto result = run_process(request({"--video", "zoom.mp4"}));
  EXPECT_EQ(result.exit_status, 1);
  EXPECT_NE(result.standard_error.find("julia_zoom: ffmpeg did not make the whole video zoom.mp4: "
                                       "ffprobe cannot read it"),
            std::string::npos)
      << result.standard_error;
  EXPECT_EQ(read_file(file("zoom.mp4")), "earlier video");
  EXPECT_EQ(names_in(folder.path()), (std::set<std::string>{"fakes", "zoom.mp4"}));
}

// The video is synced like every file; a failing fsync fails the run. An
// ffmpeg that makes a small but whole video keeps the runs short, and the
// run without the fault shows that the fault is what fails it.
TEST_F(JuliaZoomVideo, AFailingFsyncFailsTheRunAndKeepsTheEarlierVideo) {
  fake_ffmpeg(
      "for last; do :; done\ncat > /dev/null\nexec /usr/bin/ffmpeg -v error -f lavfi -i "
      "testsrc=size=64x48:rate=30 -frames:v 335 -c:v libx264 -f mp4 -y \"$last\"\n");
  std::ofstream(file("zoom.mp4")) << "earlier video";
  const auto failing =
      run_process(request({"--video", "zoom.mp4"},
                          {std::string("LD_PRELOAD=") + MAPPLOT_FSYNC_FAULT_LIBRARY,
                           "MAPPLOT_FAIL_FSYNC=file", "ASAN_OPTIONS=verify_asan_link_order=0"}));
  EXPECT_EQ(failing.exit_status, 1);
  EXPECT_NE(failing.standard_error.find("cannot write video \"zoom.mp4\": " +
                                        std::generic_category().message(EIO)),
            std::string::npos)
      << failing.standard_error;
  EXPECT_EQ(read_file(file("zoom.mp4")), "earlier video");
  EXPECT_EQ(names_in(folder.path()), (std::set<std::string>{"fakes", "zoom.mp4"}));

  const auto working = run_process(request({"--video", "zoom.mp4"}));
  EXPECT_EQ(working.exit_status, 0) << working.standard_error;
  EXPECT_EQ(probe_video(file("zoom.mp4").string()).frames, 335);
}

// A fatal signal while frames and video are being written leaves no
// temporary file, no running ffmpeg and the earlier video, and no success.
TEST_F(JuliaZoomVideo, ASignalDuringTheRecordingLeavesNoTemporaryFileAndNoFfmpeg) {
  fake_ffmpeg("echo $$ > \"$0.pid\"\nexec /usr/bin/ffmpeg \"$@\"\n");
  for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
    std::ofstream(file("zoom.mp4")) << "earlier video";
    background_process zoom(request({"--frames", "frames", "--video", "zoom.mp4"}));
    // Progress lines come every 50 frames; the signal comes in mid-recording.
    while (zoom.running() && read_file(folder.name() + "/frames/frame-050.png").empty())
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const std::string pid = read_file((fakes() / "ffmpeg.pid").string());
    ASSERT_FALSE(pid.empty());
    // The program's process is the parent of ffmpeg.
    const std::string status = read_file("/proc/" + std::to_string(std::stoi(pid)) + "/stat");
    const auto parent_at = status.rfind(") ") + 4;
    const int parent = std::stoi(status.substr(parent_at));
    ASSERT_EQ(::kill(parent, signal_number), 0);
    const auto result = zoom.wait(std::chrono::seconds(60));
    EXPECT_FALSE(result.timed_out) << "signal " << signal_number;
    EXPECT_NE(result.exit_status, 0) << "signal " << signal_number;
    EXPECT_EQ(read_file(file("zoom.mp4")), "earlier video") << "signal " << signal_number;
    EXPECT_EQ(names_in(folder.path()), (std::set<std::string>{"fakes", "frames", "zoom.mp4"}))
        << "signal " << signal_number;
    for (const auto& frame : names_in(folder.path() / "frames"))
      ASSERT_TRUE(frame.starts_with("frame-")) << frame << ", signal " << signal_number;
    // Stopped, or ended and waiting for its parent's parent to reap it.
    const std::string ffmpeg = read_file("/proc/" + std::to_string(std::stoi(pid)) + "/stat");
    EXPECT_TRUE(ffmpeg.empty() || ffmpeg[ffmpeg.rfind(") ") + 2] == 'Z')
        << "ffmpeg still runs after signal " << signal_number;
    fs::remove_all(folder.path() / "frames");
    fs::remove(fakes() / "ffmpeg.pid");
  }
}

}  // namespace
}  // namespace mapplot::testing
