// julia_zoom --explore=335 off screen: its picture against counts worked out
// here with julia_counts, and more than the frame's few blocks.
#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <cmath>
#include <mapplot/julia_zoom.hpp>
#include <set>
#include <vector>

#include "child_process.hpp"
#include "scratch_folder.hpp"

namespace mapplot {
namespace {

TEST(ExploreRun, OffScreenTheDeepestFrameIsSavedAtOneExactCountPerPixel) {
  const testing::scratch_folder folder;
  const testing::process_result run =
      testing::run_process({.arguments = {JULIA_ZOOM_PROGRAM, "--explore=335", "--offscreen"},
                            .working_directory = folder.path().string()});
  ASSERT_EQ(run.exit_status, 0) << run.standard_error;
  EXPECT_NE(run.standard_error.find("saved julia_explore-335.png"), std::string::npos);
  EXPECT_TRUE(run.standard_output.starts_with("view centre 1.3002426624298095703"))
      << run.standard_output;
  EXPECT_NE(run.standard_output.find("half-width 6.893439e-08  limit " +
                                     std::to_string(julia_window(335).limit)),
            std::string::npos)
      << run.standard_output;

  const QImage picture(QString::fromStdString((folder.path() / "julia_explore-335.png").string()));
  ASSERT_EQ(picture.size(), QSize(265, 265));
  const julia_frame frame = julia_window(335);
  std::vector<float> counts(265 * 265);
  julia_counts(frame.cx, frame.cy, frame.ray, frame.ray, frame.limit, 265, 265, counts);
  const auto [low, high] = std::minmax_element(counts.begin(), counts.end());
  int differing = 0;
  std::set<int> levels;
  for (int j = 0; j < 265; ++j) {
    for (int i = 0; i < 265; ++i) {
      const double level = (counts[i + j * 265] - double{*low}) * 255 / (*high - double{*low});
      const int grey = static_cast<int>(std::lround(level));
      const QRgb shown = picture.pixel(i, 264 - j);
      differing += shown != qRgb(grey, grey, grey);
      levels.insert(qGray(shown));
    }
  }
  EXPECT_EQ(differing, 0);
  EXPECT_GT(levels.size(), 8u) << "the frame's two or three blocks, not the set";
}

TEST(ExploreRun, AFrameOutsideTheZoomIsAUsageError) {
  const testing::process_result run =
      testing::run_process({.arguments = {JULIA_ZOOM_PROGRAM, "--explore=336", "--offscreen"}});
  EXPECT_EQ(run.exit_status, 2);
  EXPECT_NE(run.standard_error.find("--explore needs a frame from 1 to 335"), std::string::npos);
}

}  // namespace
}  // namespace mapplot
