// julia_zoom --frames and --video off screen: every frame of window 101 kept
// as a PNG that holds exactly the frame's raster, and as a frame of the video,
// while standard output stays exactly the console lines.
#include <gtest/gtest.h>

#include <QImage>
#include <cmath>
#include <filesystem>

#include "../julia_zoom/recorded_frames.hpp"
#include "child_process.hpp"
#include "julia_raster.hpp"
#include "map_picture.hpp"
#include "scratch_folder.hpp"

namespace mapplot::testing {
namespace {

constexpr int frame_count = 335, frame_width = 581, frame_height = 271;

std::string frame_file(const std::string& folder, int k) {
  char name[32];
  std::snprintf(name, sizeof name, "/frame-%03d.png", k);
  return folder + name;
}

// "" when the map square of `picture` is `expected` grey for grey, otherwise
// where it first differs and how many pixels do.
std::string compare_map(const QImage& picture, const std::vector<int>& expected) {
  constexpr int side = map_last_pixel - map_first_pixel + 1;
  int differing = 0;
  std::string first;
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) {
      const QRgb seen = picture.pixel(x + map_first_pixel, y + map_first_pixel);
      const int wanted = expected[y * side + x];
      if (qRed(seen) == wanted && qGreen(seen) == wanted && qBlue(seen) == wanted) continue;
      if (differing++ == 0) {
        first = std::string("(")
                    .append(std::to_string(x + map_first_pixel))
                    .append(", ")
                    .append(std::to_string(y + map_first_pixel))
                    .append(") is ")
                    .append(std::to_string(qRed(seen)))
                    .append(" instead of ")
                    .append(std::to_string(wanted));
      }
    }
  }
  return differing == 0 ? "" : first + ", " + std::to_string(differing) + " pixels differ";
}

// Mean difference per colour component over the frame's own area.
double mean_difference(const QImage& first, const QImage& second) {
  double total = 0;
  for (int y = 0; y < frame_height; ++y) {
    for (int x = 0; x < frame_width; ++x) {
      const QRgb a = first.pixel(x, y), b = second.pixel(x, y);
      total += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
               std::abs(qBlue(a) - qBlue(b));
    }
  }
  return total / (3.0 * frame_width * frame_height);
}

TEST(KeptFrames, OffScreenEveryFrameIsAFileWithItsRasterAndAFrameOfTheVideo) {
  const temporary_folder scratch;
  const std::string folder = scratch.name();
  // --offscreen wins over a display, which need not exist.
  const auto result = run_process({.arguments = {JULIA_ZOOM_PROGRAM, "--offscreen", "--frames",
                                                 "kept/frames", "--video", "zoom.mp4"},
                                   .unset_environment = {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY"},
                                   .set_environment = {"DISPLAY=:4999"},
                                   .working_directory = folder,
                                   .timeout = std::chrono::seconds(600)});
  ASSERT_FALSE(result.timed_out);
  ASSERT_EQ(result.exit_status, 0) << result.standard_error;
  EXPECT_TRUE(result.standard_output ==
              read_file(MAPPLOT_SOURCE_DIR "/tests/julia_zoom/julia_console.txt"))
      << "standard output is not exactly the 335 frame lines";
  EXPECT_NE(result.standard_error.find("frame 335/335"), std::string::npos)
      << result.standard_error;

  const std::string frames = folder + "/kept/frames";
  std::set<std::string> wanted_names;
  for (int k = 1; k <= frame_count; ++k)
    wanted_names.insert(std::filesystem::path(frame_file(frames, k)).filename());
  ASSERT_EQ(names_in(frames), wanted_names);
  int matching = 0;
  for (int k = 1; k <= frame_count; ++k) {
    const QImage picture(QString::fromStdString(frame_file(frames, k)));
    ASSERT_EQ(picture.size(), QSize(frame_width, frame_height)) << "frame " << k;
    const std::string difference = compare_map(picture, expected_julia_map(k));
    EXPECT_EQ(difference, "") << "frame " << k;
    if (difference.empty()) ++matching;
  }
  EXPECT_EQ(matching, frame_count);
  // The frame files are the whole picture: frame and legend too, and the last
  // one is what the window showed at the end.
  const QImage last(QString::fromStdString(frame_file(frames, frame_count)));
  EXPECT_EQ(check_julia_window(last, 0, 0), "");
  EXPECT_TRUE(last == QImage(QString::fromStdString(folder + "/julia_zoom-window-101.png")));

  // H.264 needs even sides: 581 x 271 padded to 582 x 272.
  const video_facts facts = probe_video(folder + "/zoom.mp4");
  EXPECT_EQ(facts.codec, "h264");
  EXPECT_EQ(facts.frames, frame_count);
  EXPECT_EQ(facts.width, frame_width + 1);
  EXPECT_EQ(facts.height, frame_height + 1);
  // The middle frame decoded looks like its own PNG, more than like its
  // neighbours (the zoom moves little from one frame to the next).
  const QImage middle = decoded_frame(folder + "/zoom.mp4", 167);
  ASSERT_EQ(middle.size(), QSize(frame_width + 1, frame_height + 1));
  const auto difference_from = [&](int k) {
    return mean_difference(middle, QImage(QString::fromStdString(frame_file(frames, k))));
  };
  const double own = difference_from(168);
  EXPECT_LT(own, 3.0) << "grey levels apart on average";
  EXPECT_LT(own, difference_from(167));
  EXPECT_LT(own, difference_from(169));
  EXPECT_EQ(names_in(folder),
            (std::set<std::string>{"kept", "zoom.mp4", "julia_zoom-window-101.png"}));
}

}  // namespace
}  // namespace mapplot::testing
