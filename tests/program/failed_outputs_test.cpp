// julia_zoom's outputs when they cannot be written, run as a user runs it:
// a file size limit, a full file system, a folder that takes no files, a
// standard output that is full or closed, an encoder that stops reading.
// Each picture is whole or absent with an earlier file kept, each failure is
// one line and status 1, and a recording stops at the frame that failed.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <QImage>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "child_process.hpp"
#include "scratch_folder.hpp"
#include "x_server.hpp"

namespace mapplot::testing {
namespace {

namespace fs = std::filesystem;

const std::string program = JULIA_ZOOM_PROGRAM;

// julia_zoom with `arguments`, run by the shell after `setup` ("ulimit -f 2")
// and with `redirection` (">&-"), off screen in `folder`.
process_request shell_run(const fs::path& folder, const std::string& setup,
                          const std::vector<std::string>& arguments,
                          const std::string& redirection = "") {
  process_request request{
      .arguments = {"/bin/sh", "-c", setup + "\nexec \"$0\" \"$@\" " + redirection, program},
      .unset_environment = {"DISPLAY", "WAYLAND_DISPLAY"},
      .set_environment = {"QT_QPA_PLATFORM=offscreen"},
      .working_directory = folder.string(),
      .timeout = std::chrono::seconds(600)};
  request.arguments.insert(request.arguments.end(), arguments.begin(), arguments.end());
  return request;
}

// Files may grow to `blocks` of 512 bytes; a longer write fails with EFBIG
// rather than ending the process.
std::string size_limit(int blocks) {
  return "trap '' XFSZ; ulimit -f " + std::to_string(blocks);
}

// Qt's complaint about a missing runtime folder would be a line of its own.
class FailedOutputs : public ::testing::Test {
 protected:
  process_result run(const process_request& request) const {
    process_request quiet = request;
    quiet.set_environment.push_back("XDG_RUNTIME_DIR=" + runtime.name());
    return run_process(quiet);
  }

  temporary_folder runtime;  // mode 0700, as Qt wants it
  temporary_folder scratch;
};

std::string console_lines(int count) {
  const std::string all = read_file(MAPPLOT_SOURCE_DIR "/tests/julia_zoom/julia_console.txt");
  return all.substr(0, static_cast<std::size_t>(count) * 35);
}

std::string lines_of(const std::string& output) {
  return std::to_string(std::count(output.begin(), output.end(), '\n')) + " console lines";
}

// A tmpfs of `size` at `where`, unmounted when destroyed; mounted() is false
// where the test may not mount (no privilege, no mount namespace).
class small_file_system {
 public:
  small_file_system(const fs::path& where, const std::string& size) : where_(where) {
    fs::create_directories(where);
    const std::string options = "size=" + size + ",mode=0755";
    mounted_ = ::mount("tmpfs", where.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) == 0;
    if (!mounted_) why_not_ = std::strerror(errno);
  }
  ~small_file_system() {
    if (mounted_) ::umount2(where_.c_str(), MNT_DETACH);
  }
  small_file_system(const small_file_system&) = delete;
  small_file_system& operator=(const small_file_system&) = delete;
  bool mounted() const { return mounted_; }
  const std::string& why_not() const { return why_not_; }

 private:
  fs::path where_;
  bool mounted_ = false;
  std::string why_not_;
};

TEST_F(FailedOutputs, TheExplorersPictureIsWholeOrAbsentAndAFailureIsStatusOne) {
  const fs::path folder = scratch.path();
  std::ofstream(folder / "julia_explore-1.png") << "earlier picture";
  // The 265 x 265 picture of frame 1 is some 10 KB; files stop at 1 KB.
  const process_result result = run(shell_run(folder, size_limit(2), {"--explore=1"}));
  EXPECT_EQ(result.exit_status, 1);
  EXPECT_EQ(result.standard_error,
            "julia_zoom: cannot save julia_explore-1.png: cannot write picture file "
            "\"julia_explore-1.png\": " +
                std::string(std::strerror(EFBIG)) + "\n");
  EXPECT_TRUE(result.standard_output.starts_with("view centre ")) << result.standard_output;
  EXPECT_TRUE(file_contents(folder / "julia_explore-1.png") == "earlier picture");
  EXPECT_EQ(names_in(folder), std::set<std::string>{"julia_explore-1.png"});

  // Without the limit the same run replaces it with the whole picture.
  const process_result whole = run(shell_run(folder, "", {"--explore=1"}));
  EXPECT_EQ(whole.exit_status, 0) << whole.standard_error;
  EXPECT_EQ(whole.standard_error, "julia_zoom: saved julia_explore-1.png\n");
  EXPECT_EQ(QImage(QString::fromStdString((folder / "julia_explore-1.png").string())).size(),
            QSize(265, 265));
}

TEST_F(FailedOutputs, ALostStandardOutputIsOneLineAndStatusOneForTheExplorerAndTheZoom) {
  const fs::path folder = scratch.path();
  process_result result = run(shell_run(folder, "", {"--explore=335"}, "> /dev/full"));
  EXPECT_EQ(result.exit_status, 1);
  EXPECT_EQ(result.standard_error, "julia_zoom: cannot write standard output: " +
                                       std::string(std::strerror(ENOSPC)) + "\n");
  // The run failed at its first output, so it leaves no picture.
  EXPECT_TRUE(fs::is_empty(folder));

  result = run(shell_run(folder, "", {"--explore=335"}, ">&-"));
  EXPECT_EQ(result.exit_status, 1);
  EXPECT_EQ(result.standard_error, "julia_zoom: cannot write standard output: " +
                                       std::string(std::strerror(EBADF)) + "\n");
  EXPECT_TRUE(fs::is_empty(folder));

  // The zoom's 335 console lines go nowhere either.
  result = run(shell_run(folder, "", {}, ">&-"));
  EXPECT_EQ(result.exit_status, 1);
  EXPECT_TRUE(result.standard_error.ends_with(
      "julia_zoom: cannot write standard output: " + std::string(std::strerror(EBADF)) + "\n"))
      << result.standard_error;
}

TEST_F(FailedOutputs, ARecordingStopsAtTheFirstFrameItCannotKeep) {
  const fs::path folder = scratch.path();
  // A folder that takes no files, whoever runs the test.
  process_result result = run(shell_run(folder, "", {"--frames", "/proc"}));
  EXPECT_EQ(result.exit_status, 1);
  EXPECT_TRUE(result.standard_output == console_lines(1))
      << "frames went on after the first failed: " << lines_of(result.standard_output);
  EXPECT_TRUE(result.standard_error.starts_with(
      "julia_zoom: cannot write the frame file /proc/frame-001.png: "))
      << result.standard_error;
  EXPECT_EQ(std::count(result.standard_error.begin(), result.standard_error.end(), '\n'), 1)
      << result.standard_error;

  // Frames are 3 to 7 KB; files stop at 1 KB. The earlier frame 1 is kept.
  fs::create_directory(folder / "frames");
  std::ofstream(folder / "frames" / "frame-001.png") << "earlier frame";
  result = run(shell_run(folder, size_limit(2), {"--frames", "frames"}));
  EXPECT_EQ(result.exit_status, 1);
  EXPECT_TRUE(result.standard_output == console_lines(1)) << lines_of(result.standard_output);
  EXPECT_EQ(result.standard_error,
            "julia_zoom: cannot write the frame file frames/frame-001.png: cannot write picture "
            "file \"frames/frame-001.png\": " +
                std::string(std::strerror(EFBIG)) + "\n");
  EXPECT_TRUE(file_contents(folder / "frames" / "frame-001.png") == "earlier frame");
  EXPECT_EQ(names_in(folder / "frames"), std::set<std::string>{"frame-001.png"});

  // An encoder that ends after 1 MB, a frame and a half; with its pipe's 1 MB
  // at most the fourth frame's write fails, and that is the last computed.
  // The earlier video stays.
  fs::create_directory(folder / "fakes");
  std::ofstream(folder / "fakes" / "ffmpeg") << "#!/bin/sh\nhead -c 1000000 > /dev/null\n";
  fs::permissions(folder / "fakes" / "ffmpeg", fs::perms::owner_all);
  std::ofstream(folder / "zoom.mp4") << "earlier video";
  result = run(shell_run(folder, "PATH=\"$PWD/fakes:$PATH\"", {"--video", "zoom.mp4"}));
  EXPECT_EQ(result.exit_status, 1);
  EXPECT_NE(result.standard_error.find("julia_zoom: ffmpeg stopped taking the frames of zoom.mp4"),
            std::string::npos)
      << result.standard_error;
  EXPECT_GE(result.standard_output.size(), console_lines(2).size());
  EXPECT_LE(result.standard_output.size(), console_lines(4).size())
      << "frames went on after the encoder had stopped";
  EXPECT_TRUE(console_lines(4).starts_with(result.standard_output)) << result.standard_output;
  EXPECT_TRUE(file_contents(folder / "zoom.mp4") == "earlier video");
  EXPECT_EQ(names_in(folder), (std::set<std::string>{"fakes", "frames", "zoom.mp4"}));
}

// A real full file system: frames fill it, the one that does not fit ends
// the run, and every frame before it is a whole picture.
TEST_F(FailedOutputs, AFullFileSystemEndsTheRecordingWithEveryEarlierFrameWhole) {
  const fs::path folder = scratch.path();
  const small_file_system full(folder / "small", "160k");
  if (!full.mounted()) GTEST_SKIP() << "no tmpfs can be mounted here: " << full.why_not();
  const process_result result = run(shell_run(folder, "", {"--frames", "small/frames"}));
  EXPECT_EQ(result.exit_status, 1);
  const std::string named = "frame file small/frames/frame-";
  const auto at = result.standard_error.find(named);
  ASSERT_NE(at, std::string::npos) << result.standard_error;
  EXPECT_TRUE(result.standard_error.ends_with(std::string(std::strerror(ENOSPC)) + "\n"))
      << result.standard_error;
  const int failed = std::stoi(result.standard_error.substr(at + named.size(), 3));
  ASSERT_GT(failed, 1) << "the file system was full before the first frame";
  EXPECT_TRUE(result.standard_output == console_lines(failed))
      << "frame " << failed << " failed, yet " << lines_of(result.standard_output);

  std::set<std::string> expected;
  for (int k = 1; k < failed; ++k) {
    char name[32];
    std::snprintf(name, sizeof name, "frame-%03d.png", k);
    expected.insert(name);
    const QImage frame(QString::fromStdString((folder / "small" / "frames" / name).string()));
    EXPECT_EQ(frame.size(), QSize(581, 271)) << name;
  }
  EXPECT_EQ(names_in(folder / "small" / "frames"), expected);

  // The explorer's picture on the same full file system: the earlier one stays.
  const fs::path earlier = folder / "small" / "julia_explore-1.png";
  std::error_code ignored;
  fs::remove(folder / "small" / "frames" / "frame-001.png", ignored);
  std::ofstream(earlier) << "earlier picture";
  std::ofstream filler(folder / "small" / "filler");
  const std::string block(4096, 'x');
  while (filler.write(block.data(), block.size()) && filler.flush()) {
  }
  filler.close();
  const process_result picture = run(shell_run(folder / "small", "", {"--explore=1"}));
  EXPECT_EQ(picture.exit_status, 1);
  EXPECT_EQ(picture.standard_error,
            "julia_zoom: cannot save julia_explore-1.png: cannot write picture file "
            "\"julia_explore-1.png\": " +
                std::string(std::strerror(ENOSPC)) + "\n");
  EXPECT_TRUE(file_contents(earlier) == "earlier picture");
  EXPECT_EQ(names_in(folder / "small"),
            (std::set<std::string>{"filler", "frames", "julia_explore-1.png"}));
}

// Ctrl+S in the explorer's window: a picture of the window, or on failure a
// line that says so and the earlier file kept.
TEST(FailedOutputsOnScreen, CtrlSInTheExplorerSavesTheWholeWindowOrNothing) {
  x_server server;
  ASSERT_TRUE(server.ready()) << "Xvfb did not start";
  const temporary_folder scratch;
  const fs::path folder = scratch.path();
  const auto save_in_window = [&](const std::string& setup) {
    background_process explorer(
        {.arguments = {"/bin/sh", "-c", setup + "\nexec \"$0\" --explore=1 2>&1", program},
         .unset_environment = {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY"},
         .set_environment = {"DISPLAY=" + server.display()},
         .working_directory = folder.string()});
    const std::string window = find_window(server, "^Julia set$", 120, explorer);
    EXPECT_FALSE(window.empty()) << "no window titled \"Julia set\"";
    std::string said;
    if (!window.empty()) {
      server.run({"xdotool", "windowfocus", "--sync", window});
      server.run({"xdotool", "key", "--clearmodifiers", "ctrl+s"});
      for (int attempt = 0; attempt < 300; ++attempt) {
        said = explorer.standard_output_so_far();
        if (said.find("julia_explore-window-1.png") != std::string::npos) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
      }
    }
    explorer.send_signal(SIGTERM);
    explorer.wait(std::chrono::seconds(30));
    return said;
  };
  const fs::path saved = folder / "julia_explore-window-1.png";

  std::ofstream(saved) << "earlier picture";
  std::string said = save_in_window(size_limit(2));
  EXPECT_NE(said.find("julia_zoom: cannot save julia_explore-window-1.png: cannot write picture "
                      "file \"julia_explore-window-1.png\": " +
                      std::string(std::strerror(EFBIG))),
            std::string::npos)
      << said;
  EXPECT_EQ(said.find("saved"), std::string::npos) << said;
  EXPECT_TRUE(file_contents(saved) == "earlier picture");
  EXPECT_EQ(names_in(folder), std::set<std::string>{"julia_explore-window-1.png"});

  said = save_in_window("");
  EXPECT_NE(said.find("julia_zoom: saved julia_explore-window-1.png\n"), std::string::npos) << said;
  const QImage picture(QString::fromStdString(saved.string()));
  EXPECT_GT(picture.width(), 265) << "not a picture of the window";
  EXPECT_GT(picture.height(), 265) << "not a picture of the window";
}

}  // namespace
}  // namespace mapplot::testing
