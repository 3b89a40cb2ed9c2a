// run_windowed_program off screen, in a child process as a user would run it.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <QImage>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace mapplot {
namespace {

namespace fs = std::filesystem;

struct run_result {
  int exit_status = -1;
  std::string standard_output;
  std::string standard_error;
};

std::string read_whole(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

class WindowedProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = fs::temp_directory_path() /
             ("mapplot_platform_" + std::to_string(::getpid()) + "_" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder);
    fs::create_directories(folder);
  }
  void TearDown() override { fs::remove_all(folder); }

  // Runs the probe with no display in `folder`, feeding it `input`.
  run_result run(const std::string& mode, const std::string& input = "") {
    std::ofstream(folder / "input") << input;
    const std::string command =
        "cd '" + folder.string() + "' && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM '" +
        PLATFORM_PROBE_PROGRAM + "' " + mode + " < input > output 2> errors";
    const int status = std::system(command.c_str());
    run_result result;
    if (status != -1 && WIFEXITED(status)) result.exit_status = WEXITSTATUS(status);
    result.standard_output = read_whole(folder / "output");
    result.standard_error = read_whole(folder / "errors");
    return result;
  }

  fs::path folder;
};

TEST_F(WindowedProgram, OffScreenTheConsoleIsStandardOutputAndPicturesAreSaved) {
  const run_result result = run("draw");
  EXPECT_EQ(result.exit_status, 0) << result.standard_error;
  EXPECT_EQ(result.standard_output, " first line\n           2 Ray =    1.805000    \n");

  const std::string picture_name = "platform_probe-window-101.png";
  EXPECT_NE(result.standard_error.find(picture_name), std::string::npos) << result.standard_error;
  const QImage picture(QString::fromStdString((folder / picture_name).string()));
  ASSERT_FALSE(picture.isNull());
  EXPECT_EQ(picture.size(), QSize(581, 271));
  EXPECT_EQ(picture.pixel(1, 1), qRgb(128, 0, 128));
  EXPECT_EQ(picture.pixel(4, 267), qRgb(255, 255, 255));    // world origin, bottom left
  EXPECT_EQ(picture.pixel(4, 4), qRgb(0, 0, 0));            // above the half-height rectangle
  EXPECT_EQ(picture.pixel(147, 136), qRgb(255, 255, 255));  // its upper-right corner
  // The console window was never drawn into, so it leaves no picture.
  EXPECT_FALSE(fs::exists(folder / "platform_probe-window-0.png"));
}

TEST_F(WindowedProgram, OffScreenWaitForEnterReadsLinesAndReturnsAtEndOfInput) {
  const run_result result = run("input", "first\n");
  EXPECT_EQ(result.exit_status, 0) << result.standard_error;
  EXPECT_EQ(result.standard_output, " waiting\n went on\n end of input\n");
}

TEST_F(WindowedProgram, RunningOutOfMemoryIsAFatalErrorWithItsMessage) {
  const run_result result = run("exhaust");
  EXPECT_NE(result.exit_status, 0);
  EXPECT_NE(result.standard_error.find("insufficient virtual memory"), std::string::npos)
      << result.standard_error;
  EXPECT_EQ(result.standard_output, "");
}

TEST_F(WindowedProgram, AnyOtherExceptionIsAFatalErrorWithItsText) {
  const run_result result = run("fail");
  EXPECT_NE(result.exit_status, 0);
  EXPECT_NE(result.standard_error.find("the grid is on fire"), std::string::npos)
      << result.standard_error;
}

}  // namespace
}  // namespace mapplot
