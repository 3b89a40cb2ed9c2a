// What the recording does not take on trust or wait for beyond cancellation:
// a frame write blocked on an encoder that stopped reading ends with the
// cancellation, and ffprobe's answer must count the frames and speak of the
// video, not of its hidden temporary file.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "../program/child_process.hpp"
#include "julia_zoom/video/piped_process.hpp"
#include "julia_zoom/video/video_recorder.hpp"
#include "platform/cancellation.hpp"
#include "recorded_frames.hpp"
#include "scratch_folder.hpp"

namespace mapplot::testing {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

fs::path fake_program(const fs::path& folder, const std::string& name, const std::string& script) {
  const fs::path path = folder / name;
  std::ofstream(path) << "#!/bin/sh\n" << script;
  fs::permissions(path, fs::perms::owner_all);
  return path;
}

// The reader takes a little, then keeps its input open and reads no more. The
// cancellation comes while the write of many pipefuls waits for room, past
// the check a write makes on entry; the stall limit is far away. Should the
// write not end, the reader is killed after 20 s, so that the test fails
// instead of hanging.
TEST(VideoWaits, CancellationEndsAFrameWriteBlockedOnAReaderThatStopped) {
  const temporary_folder scratch;
  const std::string marker = (scratch.path() / "stopped").string();
  piped_process reader(
      {"/bin/sh", "-c", "head -c 1000 > /dev/null; echo $$ > '" + marker + "'; exec sleep 600"});
  const std::vector<std::byte> bytes(16 << 20);
  auto writing = std::async(std::launch::async, [&] {
    try {
      reader.write_input(bytes, 10min);
      return std::string("returned");
    } catch (const program_cancelled&) {
      return std::string("cancelled");
    }
  });
  const auto deadline = std::chrono::steady_clock::now() + 60s;
  while (read_file(marker).empty() && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(10ms);
  ASSERT_FALSE(read_file(marker).empty());
  request_cancellation();
  const bool ended = writing.wait_for(20s) == std::future_status::ready;
  if (!ended) ::kill(std::stoi(read_file(marker)), SIGKILL);
  EXPECT_TRUE(ended) << "the write went on after the cancellation";
  EXPECT_EQ(writing.get(), "cancelled");
  reset_cancellation();
  // Stopped and reaped with the cancellation.
  EXPECT_FALSE(fs::exists("/proc/" + std::to_string(std::stoi(read_file(marker)))));
}

// Real frames and ffmpeg, a fake ffprobe: an answer without a frame count,
// or with one that is no number, does not make the video whole; a failing
// ffprobe's reason names the video, never the temporary file it read.
TEST(VideoWaits, FfprobeMustCountTheFramesAndItsFailureNamesTheVideo) {
  const temporary_folder scratch;
  const fs::path& folder = scratch.path();
  struct prober {
    std::string name, script, expected;
  };
  const std::vector<prober> probers{
      {"no-count", "echo codec_name=h264\n", "it holds an unknown number of frames of 3"},
      {"count-not-a-number", "echo codec_name=h264\necho nb_read_packets=N/A\n",
       "it holds an unknown number of frames of 3"},
      // As the real one says it: "file:<path>: <reason>", on its last line.
      {"fails", "for last; do :; done\necho \"$last: Invalid data found\" >&2\nexit 1\n",
       "ffmpeg did not make the whole video " + (folder / "zoom.mp4").string() +
           ": ffprobe cannot read it: Invalid data found"},
  };
  constexpr int width = 96, height = 64;
  for (const prober& each : probers) {
    SCOPED_TRACE(each.name);
    const fs::path video = folder / "zoom.mp4";
    std::ofstream(video) << "earlier video";
    const fs::path path = fake_program(folder, each.name, each.script);
    std::string message;
    try {
      video_recorder recorder(video, 30, {.prober = path.string()});
      for (int number = 1; number <= 3; ++number)
        recorder.add_frame({width, height, synthetic_frame(width, height, number)});
      recorder.finish();
    } catch (const std::runtime_error& failure) {
      message = failure.what();
    }
    EXPECT_NE(message.find(each.expected), std::string::npos) << message;
    EXPECT_NE(message.find("zoom.mp4"), std::string::npos) << message;
    EXPECT_EQ(message.find(".mapplot-"), std::string::npos) << message;
    EXPECT_EQ(message.find("file:"), std::string::npos) << message;
    EXPECT_EQ(file_contents(video), "earlier video");
    fs::remove(path);
    EXPECT_EQ(names_in(folder), std::set<std::string>{"zoom.mp4"});
  }
}

}  // namespace
}  // namespace mapplot::testing
