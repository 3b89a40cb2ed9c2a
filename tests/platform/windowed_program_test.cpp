// run_windowed_program off screen, in a child process as a user would run it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QImage>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>

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
    return run_shell("< input > output", mode);
  }

  // Runs the probe in `folder` from a shell script: `setup` first ("ulimit
  // -f 1"), then the probe with `environment` and `redirections`; standard
  // error goes to "errors".
  run_result run_shell(const std::string& redirections, const std::string& mode,
                       const std::string& setup = "",
                       const std::string& environment = "-u DISPLAY -u WAYLAND_DISPLAY") {
    std::ofstream(folder / "run.sh")
        << "cd '" << folder.string() << "' || exit 99\n"
        << setup << "\nexec env -u QT_QPA_PLATFORM " << environment << " '"
        << PLATFORM_PROBE_PROGRAM << "' " << mode << " 2> errors " << redirections << "\n";
    const int status = std::system(("/bin/sh '" + (folder / "run.sh").string() + "'").c_str());
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

TEST_F(WindowedProgram, ASecondLayerNestedOrFromAnotherThreadIsRefused) {
  for (const char* mode : {"nested", "concurrent"}) {
    const run_result result = run(mode);
    EXPECT_EQ(result.exit_status, 0) << mode << "\n" << result.standard_error;
    EXPECT_EQ(result.standard_output,
              " refused: run_windowed_program: a windowing layer is already running\n")
        << mode;
  }
}

// Qt aborts when its platform cannot start; the program says so in one line.
TEST_F(WindowedProgram, ADisplayThatCannotBeOpenedIsOneLineAndStatusOne) {
  run_result result = run_shell("> output", "draw", "", "-u WAYLAND_DISPLAY DISPLAY=:4999");
  EXPECT_EQ(result.exit_status, 1);
  EXPECT_EQ(result.standard_error, "platform_probe: cannot open display \":4999\"\n");
  result = run_shell("> output", "draw -platform xyz");
  EXPECT_EQ(result.exit_status, 1);
  EXPECT_EQ(result.standard_error, "platform_probe: cannot open display (platform \"xyz\")\n");
}

// The numbers are taken, so no file the program opens becomes its console,
// and console lines that went nowhere still fail the run.
TEST_F(WindowedProgram, ClosedStandardDescriptorsAreOpenedOnTheNullDevice) {
  const run_result result = run_shell("<&- >&-", "descriptors");
  EXPECT_EQ(result.exit_status, 1) << result.standard_error;
  EXPECT_NE(result.standard_error.find("0 /dev/null\n1 /dev/null\n"), std::string::npos)
      << result.standard_error;
  EXPECT_NE(result.standard_error.find("platform_probe: cannot write standard output: " +
                                       std::generic_category().message(EBADF)),
            std::string::npos)
      << result.standard_error;
  EXPECT_TRUE(fs::exists(folder / "platform_probe-window-101.png"));
}

// The layer keeps SIGPIPE from ending the program, but a child process (an
// encoder reading a pipe) starts with its default action.
TEST_F(WindowedProgram, AChildProcessDoesNotInheritTheLayersSignalDispositions) {
  const run_result result = run("child");
  EXPECT_EQ(result.exit_status, 0) << result.standard_error;
  const auto last_line = result.standard_error.find_last_of('\n', result.standard_error.size() - 2);
  const std::string mask = result.standard_error.substr(last_line + 1);
  const unsigned long long ignored = std::stoull(mask, nullptr, 16);
  for (const int signal_number : {SIGPIPE, SIGINT, SIGTERM, SIGHUP})
    EXPECT_EQ(ignored & (1ULL << (signal_number - 1)), 0u) << signal_number << " in " << mask;
}

TEST_F(WindowedProgram, StandardOutputThatCannotBeWrittenFailsTheRun) {
  const run_result result = run_shell("> /dev/full", "draw");
  EXPECT_NE(result.exit_status, 0);
  EXPECT_NE(result.standard_error.find("platform_probe: cannot write standard output: " +
                                       std::generic_category().message(ENOSPC)),
            std::string::npos)
      << result.standard_error;
}

// A picture is whole or reported: cut short by a file size limit, or
// written through a link to a full device, which stays a device.
TEST_F(WindowedProgram, APictureThatCannotBeWrittenCompletelyFailsTheRun) {
  run_result result = run_shell("> output", "draw", "trap '' XFSZ; ulimit -f 1");
  EXPECT_NE(result.exit_status, 0);
  EXPECT_NE(result.standard_error.find("could not save the picture of window 101"),
            std::string::npos)
      << result.standard_error;
  for (const auto& entry : fs::directory_iterator(folder))
    EXPECT_NE(entry.path().extension(), ".png") << entry.path();

  // Root could rename over /dev/full itself; it gets a device node of its own.
  const fs::path full = ::getuid() == 0 ? folder / "full" : fs::path("/dev/full");
  if (::getuid() == 0) {
    ASSERT_EQ(::mknod(full.c_str(), S_IFCHR | 0666, ::makedev(1, 7)), 0);
  }
  fs::create_symlink(full, folder / "platform_probe-window-101.png");
  result = run_shell("> output", "draw");
  EXPECT_NE(result.exit_status, 0);
  EXPECT_NE(result.standard_error.find("could not save the picture of window 101"),
            std::string::npos)
      << result.standard_error;
  EXPECT_TRUE(fs::is_character_file(full));
}

}  // namespace
}  // namespace mapplot
