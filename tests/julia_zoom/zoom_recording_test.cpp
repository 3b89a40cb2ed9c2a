// The zoom's 335 frames kept as --frames and --video keep them, fed as the
// windowing layer will feed them, one presented frame at a time.
#include "julia_zoom/zoom_recording.hpp"

#include <gtest/gtest.h>

#include <QImage>
#include <cstring>
#include <stdexcept>

#include "../program/child_process.hpp"
#include "recorded_frames.hpp"
#include "scratch_folder.hpp"

namespace mapplot::testing {
namespace {

constexpr int width = 581, height = 271, frame_count = 335;

TEST(ZoomRecording, EveryFrameBecomesAFileAndAFrameOfTheVideo) {
  const temporary_folder scratch;
  const std::filesystem::path& folder = scratch.path();
  zoom_options options;
  options.frames_folder = folder / "frames";
  options.video_file = folder / "zoom.mp4";
  zoom_recording recording(options, frame_count, false);
  for (int number = 1; number <= frame_count; ++number) {
    const auto pixels = synthetic_frame(width, height, number);
    recording.take({width, height, pixels});
  }
  recording.finish();

  const auto files = names_in(folder / "frames");
  EXPECT_EQ(files.size(), frame_count);
  EXPECT_EQ(*files.begin(), "frame-001.png");
  EXPECT_EQ(*files.rbegin(), "frame-335.png");
  for (const int number : {1, 168, 335}) {
    char name[32];
    std::snprintf(name, sizeof name, "frame-%03d.png", number);
    const QImage picture = QImage(QString::fromStdString((folder / "frames" / name).string()))
                               .convertToFormat(QImage::Format_RGB32);
    const auto pixels = synthetic_frame(width, height, number);
    ASSERT_EQ(picture.size(), QSize(width, height)) << name;
    EXPECT_EQ(std::memcmp(picture.constBits(), pixels.data(), pixels.size() * 4), 0) << name;
  }

  // H.264 needs even sides: one black column and row are added.
  const video_facts facts = probe_video(folder / "zoom.mp4");
  EXPECT_EQ(facts.codec, "h264");
  EXPECT_EQ(facts.pixel_format, "yuv420p");
  EXPECT_EQ(facts.frame_rate, "30/1");
  EXPECT_EQ(facts.frames, frame_count);
  EXPECT_EQ(facts.width, width + 1);
  EXPECT_EQ(facts.height, height + 1);
  const QImage middle = decoded_frame(folder / "zoom.mp4", 167);
  EXPECT_EQ(compare_with_synthetic(middle, width, height, 168), "");
  ASSERT_EQ(middle.size(), QSize(width + 1, height + 1));
  EXPECT_LT(qGray(middle.pixel(width, height / 4)),
            qGray(middle.pixel(width - 8, height / 4)) - 60);
  EXPECT_LT(qGray(middle.pixel(width * 7 / 8, height)),
            qGray(middle.pixel(width * 7 / 8, height - 8)) - 60);

  EXPECT_EQ(names_in(folder), (std::set<std::string>{"frames", "zoom.mp4"}));
}

TEST(ZoomRecording, AFailureIsKeptForTheEndAndLeavesNoVideo) {
  const temporary_folder scratch;
  const std::filesystem::path& folder = scratch.path();
  zoom_options options;
  options.video_file = folder / "zoom.webm";
  {
    // Every frame came through, but fewer than the zoom has.
    zoom_recording recording(options, 3, false);
    for (int number = 1; number <= 2; ++number) {
      const auto pixels = synthetic_frame(width, height, number);
      recording.take({width, height, pixels});
    }
    EXPECT_THROW(recording.finish(), std::runtime_error) << "2 frames of 3 made a video";
  }
  zoom_recording recording(options, frame_count, false);
  const auto pixels = synthetic_frame(width, height, 1);
  recording.take({width, height, pixels});
  recording.take({width, height - 1, pixels});  // a window that changed size
  recording.take({width, height, pixels});
  EXPECT_EQ(recording.frames_taken(), 1);
  try {
    recording.finish();
    FAIL() << "the failed recording finished";
  } catch (const std::runtime_error& failure) {
    EXPECT_NE(std::string(failure.what()).find("frame 2 is 581 x 270"), std::string::npos)
        << failure.what();
  }
  EXPECT_TRUE(std::filesystem::is_empty(folder));
}

}  // namespace
}  // namespace mapplot::testing
