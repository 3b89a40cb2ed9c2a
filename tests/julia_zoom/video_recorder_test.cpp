// Videos made by the real ffmpeg, and every way a recording can fail leaving
// no file behind (and an earlier video untouched).
#include "julia_zoom/video/video_recorder.hpp"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <chrono>
#include <fstream>
#include <stdexcept>
#include <system_error>
#include <thread>

#include "../program/child_process.hpp"
#include "platform/cancellation.hpp"
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
    video_recorder recorder(video, 30, {.encoder = encoder.string()});
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
    video_recorder recorder(folder / "zoom.mp4", 30, {.encoder = "no-such-ffmpeg-program"});
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

// Stands in for ffmpeg: a shell script made executable in `folder`.
std::filesystem::path fake_encoder(const std::filesystem::path& folder, const std::string& name,
                                   const std::string& script) {
  const std::filesystem::path path = folder / name;
  std::ofstream(path) << "#!/bin/sh\n" << script;
  std::filesystem::permissions(path, std::filesystem::perms::owner_all);
  return path;
}

// Whether a process that wrote its number into `pid_file` still runs a while
// after it was killed; a process that has ended and not been reaped does not.
bool still_running(const std::filesystem::path& pid_file) {
  const std::string pid = read_file(pid_file.string());
  if (pid.empty()) return false;
  for (int look = 0; look < 200; ++look) {
    const std::string stat = read_file("/proc/" + std::to_string(std::stoi(pid)) + "/stat");
    const auto state = stat.rfind(") ");
    if (state == std::string::npos || stat[state + 2] == 'Z') return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  return true;
}

// An ffmpeg that fails in any way fails the recording with a message that
// says how, keeps the earlier video and leaves nothing behind, whatever its
// exit status said.
TEST(VideoRecorder, AnEncoderThatDoesNotMakeTheWholeVideoFailsIt) {
  const temporary_folder scratch;
  const std::filesystem::path& folder = scratch.path();
  constexpr int frame_bytes = width * height * 4;
  struct fake {
    std::string name, script, expected;
    std::chrono::milliseconds stall_limit = std::chrono::seconds(60);
  };
  const std::vector<fake> fakes{
      {"writes-nothing", "cat > /dev/null\nexit 0\n", "ffprobe cannot read it"},
      {"fails-after-reading", "cat > /dev/null\necho 'simulated late failure' >&2\nexit 1\n",
       "simulated late failure"},
      // A real video of the first two frames, the rest read and dropped.
      {"drops-frames",
       "head -c " + std::to_string(2 * frame_bytes) + " | ffmpeg \"$@\"\ncat > /dev/null\n",
       "it holds 2 frames of 6"},
      {"writes-another-codec",
       "for last; do :; done\ncat > /dev/null\nexec ffmpeg -v error -f lavfi -i "
       "testsrc=size=64x48:rate=30 -frames:v 6 -c:v mpeg4 -f mp4 -y \"$last\"\n",
       "its video is mpeg4, not h264"},
      {"stops-reading", "echo $$ > \"$0.pid\"\nhead -c 1000 > /dev/null\nexec sleep 600\n",
       "it took nothing for 0.5 s and was stopped", std::chrono::milliseconds(500)},
      // A wrapper whose own child would write the file later: stopped with it.
      {"wrapper-with-a-late-child",
       "for last; do :; done\n( sleep 2; exec ffmpeg -v error -f lavfi -i "
       "testsrc=size=64x48:rate=30 -frames:v 6 -c:v libx264 -f mp4 -y \"$last\" ) &\n"
       "echo $! > \"$0.pid\"\nexec sleep 600\n",
       "it took nothing for 0.5 s and was stopped", std::chrono::milliseconds(500)},
  };
  const auto pixels = synthetic_frame(width, height, 1);
  for (const fake& each : fakes) {
    const std::filesystem::path encoder = fake_encoder(folder, each.name, each.script);
    const std::filesystem::path video = folder / "zoom.mp4";
    std::ofstream(video) << "earlier video";
    std::string message;
    try {
      video_recorder recorder(video, 30,
                              {.encoder = encoder.string(), .stall_limit = each.stall_limit});
      for (int number = 1; number <= 6; ++number) recorder.add_frame({width, height, pixels});
      recorder.finish();
    } catch (const std::runtime_error& failure) {
      message = failure.what();
    }
    EXPECT_NE(message.find(each.expected), std::string::npos) << each.name << ": " << message;
    EXPECT_NE(message.find("zoom.mp4"), std::string::npos) << each.name << ": " << message;
    EXPECT_EQ(read_file(video), "earlier video") << each.name;
    EXPECT_FALSE(still_running(encoder.string() + ".pid")) << each.name;
    std::filesystem::remove(encoder.string() + ".pid");
    std::filesystem::remove(encoder);
    EXPECT_EQ(names_in(folder), std::set<std::string>{"zoom.mp4"}) << each.name;
  }
}

// An ffmpeg that keeps its input open and reads no more holds the recording
// only until the program is cancelled; then it is stopped and reaped.
TEST(VideoRecorder, CancellationEndsTheWaitOnAStuckEncoder) {
  const temporary_folder scratch;
  const std::filesystem::path& folder = scratch.path();
  const std::filesystem::path encoder =
      fake_encoder(folder, "stuck", "echo $$ > \"$0.pid\"\nexec sleep 600\n");
  const std::filesystem::path video = folder / "zoom.webm";
  std::ofstream(video) << "earlier video";
  std::thread canceller([&] {
    while (read_file(encoder.string() + ".pid").empty())
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    request_cancellation();
  });
  const auto pixels = synthetic_frame(width, height, 1);
  try {
    video_recorder recorder(video, 30, {.encoder = encoder.string()});
    for (int number = 1; number <= 20; ++number) recorder.add_frame({width, height, pixels});
    ADD_FAILURE() << "20 frames went into a program that reads none";
  } catch (const program_cancelled&) {
  }
  canceller.join();
  reset_cancellation();
  EXPECT_FALSE(still_running(encoder.string() + ".pid"));
  EXPECT_EQ(read_file(video), "earlier video");
  EXPECT_EQ(names_in(folder), (std::set<std::string>{"stuck", "stuck.pid", "zoom.webm"}));
}

// The video is written as every output file: through links (a relative one
// from its own folder), over an earlier file keeping its mode, and into a
// device in place, whose failure is the recording's.
TEST(VideoRecorder, AVideoIsWrittenLikeEveryOutputFile) {
  const temporary_folder scratch;
  const std::filesystem::path& folder = scratch.path();
  constexpr int small_width = 96, small_height = 64;
  const auto record = [&](const std::filesystem::path& video) {
    video_recorder recorder(video, 30);
    for (int number = 1; number <= 3; ++number) {
      const auto pixels = synthetic_frame(small_width, small_height, number);
      recorder.add_frame({small_width, small_height, pixels});
    }
    recorder.finish();
  };
  std::filesystem::create_directories(folder / "links");
  std::filesystem::create_directories(folder / "videos");
  std::filesystem::create_symlink("../videos/made.webm", folder / "links" / "zoom.webm");
  std::ofstream(folder / "videos" / "kept.mp4") << "earlier";
  std::filesystem::permissions(folder / "videos" / "kept.mp4",
                               std::filesystem::perms::owner_read |
                                   std::filesystem::perms::owner_write |
                                   std::filesystem::perms::group_read);
  record(folder / "links" / "zoom.webm");
  record(folder / "videos" / "kept.mp4");
  EXPECT_TRUE(std::filesystem::is_symlink(folder / "links" / "zoom.webm"));
  EXPECT_EQ(probe_video((folder / "videos" / "made.webm").string()).frames, 3);
  EXPECT_EQ(probe_video((folder / "videos" / "kept.mp4").string()).frames, 3);
  struct stat status;
  ASSERT_EQ(::stat((folder / "videos" / "kept.mp4").c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 07777, 0640u);
  EXPECT_EQ(names_in(folder / "videos"), (std::set<std::string>{"kept.mp4", "made.webm"}));

  // A copy of /dev/full under the name and behind a link; /dev/full itself
  // where devices cannot be made.
  std::filesystem::path device = folder / "dev.mp4";
  if (::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 7)) != 0) device = "/dev/full";
  std::filesystem::create_symlink(device, folder / "link.mp4");
  for (const auto& video : {device, folder / "link.mp4"}) {
    try {
      record(video);
      ADD_FAILURE() << "a full device took the video " << video;
    } catch (const std::system_error& failure) {
      EXPECT_EQ(failure.code().value(), ENOSPC) << failure.what();
      EXPECT_NE(std::string(failure.what()).find(video.filename().string()), std::string::npos)
          << failure.what();
    }
  }
  EXPECT_TRUE(std::filesystem::is_character_file(device));
  EXPECT_TRUE(std::filesystem::is_symlink(folder / "link.mp4"));
}

}  // namespace
}  // namespace mapplot::testing
