// julia_zoom's command line as a user meets it: answers and usage errors come
// before any window, so they need no display (the one named here does not
// exist), and a usage error changes nothing on disk.
#include <gtest/gtest.h>

#include <filesystem>

#include "child_process.hpp"
#include "scratch_folder.hpp"

namespace mapplot::testing {
namespace {

process_result run_zoom(std::vector<std::string> options, const std::string& folder) {
  options.insert(options.begin(), JULIA_ZOOM_PROGRAM);
  return run_process({.arguments = options,
                      .unset_environment = {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY"},
                      .set_environment = {"DISPLAY=:4999"},
                      .working_directory = folder,
                      .timeout = std::chrono::seconds(60)});
}

TEST(CommandLine, BadOptionsGiveTheUsageOnStandardErrorAndStatus2) {
  const temporary_folder scratch;
  const std::string folder = scratch.name();
  for (const std::vector<std::string>& options :
       {std::vector<std::string>{"--bogus"},
        {"--frames"},
        {"--frames", "out", "--fps", "0", "--video", "zoom.mp4"},
        {"--video", "zoom.avi"},
        {"--fps", "30"},
        {"--video", "zoom.mp4", "--fps", "30x"},
        {"--offscreen=yes"},
        {"--frames", "a", "--frames", "b"},
        {"--", "--help"},
        {"stray"}}) {
    const auto result = run_zoom(options, folder);
    EXPECT_EQ(result.exit_status, 2) << options[0];
    EXPECT_EQ(result.standard_output, "") << options[0];
    EXPECT_TRUE(result.standard_error.starts_with("julia_zoom: ")) << result.standard_error;
    EXPECT_NE(result.standard_error.find("\nUsage: julia_zoom"), std::string::npos)
        << result.standard_error;
  }
  EXPECT_TRUE(std::filesystem::is_empty(folder));
}

TEST(CommandLine, HelpAndVersionAnswerOnStandardOutput) {
  const temporary_folder scratch;
  const std::string folder = scratch.name();
  const auto help = run_zoom({"--help"}, folder);
  EXPECT_EQ(help.exit_status, 0) << help.standard_error;
  EXPECT_EQ(help.standard_error, "");
  EXPECT_TRUE(help.standard_output.starts_with("Usage: julia_zoom")) << help.standard_output;
  for (const char* option :
       {"--frames DIR", "--video FILE", "--fps N", "--offscreen", "--help", "--version"})
    EXPECT_NE(help.standard_output.find(option), std::string::npos) << option;

  const auto version = run_zoom({"--version"}, folder);
  EXPECT_EQ(version.exit_status, 0) << version.standard_error;
  EXPECT_TRUE(version.standard_output.starts_with("julia_zoom ") &&
              version.standard_output.ends_with("\n"))
      << version.standard_output;
  EXPECT_TRUE(std::filesystem::is_empty(folder));
}

}  // namespace
}  // namespace mapplot::testing
