// Videos made by the real ffmpeg, and every way a recording can fail leaving
// no file behind (and an earlier video untouched).
#include "julia_zoom/video/video_recorder.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <stdexcept>
#include <system_error>

#include "../program/child_process.hpp"
#include "recorded_frames.hpp"
#include "scratch_folder.hpp"

namespace mapplot::testing {
namespace {

constexpr int width = 581, height = 271;

TEST(VideoRecorder, WebmIsVp9AtTheAskedRateWithTheFramesInOrder) {
  const temporary_folder scratch;
  const std::filesystem::path& folder = scratch.path();
  const std::filesystem::path video = folder / "zoom.webm";
  video_recorder recorder(video, 12);
  for (int number = 1; number <= 24; ++number) {
    const auto pixels = synthetic_frame(width, height, number);
    recorder.add_frame({width, height, pixels});
  }
  recorder.finish();
  EXPECT_EQ(names_in(folder), std::set<std::string>{"zoom.webm"});

  const video_facts facts = probe_video(video);
  EXPECT_EQ(facts.codec, "vp9");
  EXPECT_EQ(facts.frame_rate, "12/1");
  EXPECT_EQ(facts.frames, 24);
  EXPECT_EQ(facts.width, width);  // VP9 takes odd sides as they are
  EXPECT_EQ(facts.height, height);
  for (const int index : {0, 11, 23})
    EXPECT_EQ(compare_with_synthetic(decoded_frame(video, index), width, height, index + 1), "")
        << "frame " << index + 1;
}

TEST(VideoRecorder, AFailingFfmpegLeavesTheEarlierVideoAndNothingElse) {
  const temporary_folder scratch;
  const std::filesystem::path& folder = scratch.path();
  // Stands in for ffmpeg: complains and ends without reading a frame, so
  // the frames meet a closed pipe.
  const std::filesystem::path encoder = folder / "failing-ffmpeg";
  std::ofstream(encoder) << "#!/bin/sh\necho 'simulated encoder failure' >&2\nexit 3\n";
  std::filesystem::permissions(encoder, std::filesystem::perms::owner_all);
  const std::filesystem::path video = folder / "zoom.mp4";
  std::ofstream(video) << "earlier video";

  std::string message;
  try {
    video_recorder recorder(video, 30, encoder.string());
    const auto pixels = synthetic_frame(width, height, 1);
    // More than the pipe holds, so a write meets the closed pipe.
    for (int number = 1; number <= 8; ++number) recorder.add_frame({width, height, pixels});
    recorder.finish();
  } catch (const std::runtime_error& failure) {
    message = failure.what();
  }
  EXPECT_NE(message.find("simulated encoder failure"), std::string::npos) << message;
  EXPECT_NE(message.find("zoom.mp4"), std::string::npos) << message;
  EXPECT_EQ(read_file(video), "earlier video");
  EXPECT_EQ(names_in(folder), (std::set<std::string>{"failing-ffmpeg", "zoom.mp4"}));
}

TEST(VideoRecorder, ProblemsThatCanBeSeenBeforeAnyFrameAreErrorsAtOnce) {
  const temporary_folder scratch;
  const std::filesystem::path& folder = scratch.path();
  std::ofstream(folder / "plain-file") << "not a folder";
  try {
    video_recorder recorder(folder / "plain-file" / "zoom.mp4", 30);
    FAIL() << "a video under a plain file was accepted";
  } catch (const std::system_error& failure) {
    EXPECT_NE(std::string(failure.what()).find("plain-file/zoom.mp4"), std::string::npos)
        << failure.what();
  }
  try {
    video_recorder recorder(folder / "zoom.mp4", 30, "no-such-ffmpeg-program");
    FAIL() << "a missing encoder was accepted";
  } catch (const std::runtime_error& failure) {
    EXPECT_NE(std::string(failure.what()).find("no-such-ffmpeg-program was not found"),
              std::string::npos)
        << failure.what();
  }
  EXPECT_THROW(video_recorder(folder / "zoom.avi", 30), std::invalid_argument);
  std::filesystem::create_directory(folder / "folder.mp4");
  EXPECT_THROW(video_recorder(folder / "folder.mp4", 30), std::system_error);

  // No frame at all is a failure, not an empty video; nor is a change of size.
  {
    video_recorder recorder(folder / "zoom.mp4", 30);
    EXPECT_THROW(recorder.finish(), std::runtime_error);
  }
  {
    video_recorder recorder(folder / "zoom.mp4", 30);
    const auto pixels = synthetic_frame(width, height, 1);
    recorder.add_frame({width, height, pixels});
    EXPECT_THROW(recorder.add_frame({width - 1, height, pixels}), std::invalid_argument);
  }
  EXPECT_EQ(names_in(folder), (std::set<std::string>{"plain-file", "folder.mp4"}));
}

}  // namespace
}  // namespace mapplot::testing
