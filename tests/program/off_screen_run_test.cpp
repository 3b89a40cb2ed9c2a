// julia_zoom with no display: its console goes to standard output, its
// window's last picture to a PNG named on standard error.
#include <gtest/gtest.h>

#include <QImage>
#include <sstream>

#include "child_process.hpp"
#include "map_picture.hpp"
#include "scratch_folder.hpp"

namespace mapplot::testing {
namespace {

TEST(OffScreenRun, ConsoleIsExactlyTheFrameLinesAndThePictureIsSaved) {
  const scratch_folder scratch;
  const std::string folder = scratch.path();
  const auto result =
      run_process({.arguments = {JULIA_ZOOM_PROGRAM},
                   .unset_environment = {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"},
                   .working_directory = folder,
                   .timeout = std::chrono::seconds(600)});
  ASSERT_FALSE(result.timed_out);
  EXPECT_EQ(result.exit_status, 0) << result.standard_error;

  const std::string expected = read_file(MAPPLOT_SOURCE_DIR "/tests/julia_zoom/julia_console.txt");
  ASSERT_EQ(expected.size(), 335u * 35u) << "golden file damaged";
  EXPECT_TRUE(result.standard_output == expected)
      << "standard output differs from the 335 frame lines; first 200 bytes:\n"
      << result.standard_output.substr(0, 200);

  std::string path;
  std::istringstream words(result.standard_error);
  for (std::string word; words >> word;) {
    if (word.ends_with(".png") && word.find("101") != std::string::npos) path = word;
  }
  ASSERT_FALSE(path.empty()) << "no picture of window 101 named on standard error:\n"
                             << result.standard_error;
  if (path.front() != '/') path = folder + "/" + path;
  QImage picture(QString::fromStdString(path));
  ASSERT_FALSE(picture.isNull()) << path;
  EXPECT_EQ(check_julia_window(picture, 0, 0), "");
}

TEST(OffScreenRun, TheOffscreenPlatformWinsOverADisplay) {
  const scratch_folder scratch;
  const std::string folder = scratch.path();
  const auto result =
      run_process({.arguments = {JULIA_ZOOM_PROGRAM},
                   .set_environment = {"QT_QPA_PLATFORM=offscreen", "DISPLAY=:4999"},
                   .working_directory = folder,
                   .timeout = std::chrono::seconds(600)});
  ASSERT_FALSE(result.timed_out);
  EXPECT_EQ(result.exit_status, 0) << result.standard_error;
  EXPECT_TRUE(result.standard_output ==
              read_file(MAPPLOT_SOURCE_DIR "/tests/julia_zoom/julia_console.txt"));
}

// The program's own outputs are checked: a display that does not answer is
// one line and status 1, console lines that cannot be written fail the run.
TEST(OffScreenRun, OutputsThatCannotBeWrittenAreReportedAndFailTheRun) {
  const scratch_folder scratch;
  const std::string folder = scratch.path();
  auto result = run_process({.arguments = {JULIA_ZOOM_PROGRAM},
                             .unset_environment = {"WAYLAND_DISPLAY", "QT_QPA_PLATFORM"},
                             .set_environment = {"DISPLAY=:4999"},
                             .working_directory = folder,
                             .timeout = std::chrono::seconds(60)});
  EXPECT_EQ(result.exit_status, 1);
  EXPECT_EQ(result.standard_error, "julia_zoom: cannot open display \":4999\"\n");
  EXPECT_EQ(result.standard_output, "");

  result = run_process(
      {.arguments = {"/bin/sh", "-c", std::string("exec '") + JULIA_ZOOM_PROGRAM + "' > /dev/full"},
       .unset_environment = {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"},
       .working_directory = folder,
       .timeout = std::chrono::seconds(600)});
  ASSERT_FALSE(result.timed_out);
  EXPECT_EQ(result.exit_status, 1);
  EXPECT_NE(result.standard_error.find("julia_zoom: cannot write standard output"),
            std::string::npos)
      << result.standard_error;
}

}  // namespace
}  // namespace mapplot::testing
