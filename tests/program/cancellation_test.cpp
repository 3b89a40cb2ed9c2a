// Stopping a windowed program from outside, as a user or a parent does: the
// routine's stack unwinds (the probe's marker, written by a destructor, says
// so), and the exit status tells how the run ended.
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <thread>

#include "child_process.hpp"
#include "scratch_folder.hpp"
#include "x_server.hpp"

namespace mapplot::testing {
namespace {

using namespace std::chrono_literals;

// Waits until the child has written `text` to standard output; false as soon
// as it has ended, or after 60 seconds.
bool says(background_process& program, const std::string& text) {
  const auto deadline = std::chrono::steady_clock::now() + 60s;
  while (program.standard_output_so_far().find(text) == std::string::npos) {
    if (!program.running() || std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(20ms);
  }
  return true;
}

process_request off_screen_probe(const temporary_folder& folder, const std::string& frames,
                                 const std::string& mode = "hold") {
  return {.arguments = {PLATFORM_PROBE_PROGRAM, mode, "marker", frames},
          .unset_environment = {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"},
          .working_directory = folder.name(),
          .timeout = 120s};
}

TEST(Cancellation, EachSignalUnwindsTheRoutineThenEndsTheProcessByThatSignal) {
  // The second mode writes an output file first, whose temporary files'
  // handlers the layer takes over for its run.
  for (const std::string mode : {"hold", "hold-after-output"})
    for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
      SCOPED_TRACE(mode + ": " + strsignal(signal_number));
      const temporary_folder folder;
      background_process program(off_screen_probe(folder, "0", mode));
      ASSERT_TRUE(says(program, " frame 3\n")) << program.wait(0s).standard_error;
      program.send_signal(signal_number);
      const auto result = program.wait(60s);
      EXPECT_FALSE(result.timed_out);
      EXPECT_EQ(result.terminating_signal, signal_number) << "exit status " << result.exit_status;
      EXPECT_EQ(read_file(folder.name() + "/marker"), "unwound\n") << result.standard_error;
      // A cancelled run is incomplete: it leaves no picture.
      EXPECT_FALSE(std::filesystem::exists(folder.path() / "platform_probe-window-101.png"));
    }
  // Run to its end, the same routine succeeds.
  const temporary_folder folder;
  const auto result = run_process(off_screen_probe(folder, "3"));
  EXPECT_EQ(result.exit_status, 0) << result.standard_error;
  EXPECT_EQ(result.standard_output, " frame 1\n frame 2\n frame 3\n");
  EXPECT_EQ(read_file(folder.name() + "/marker"), "unwound\n");
  EXPECT_TRUE(std::filesystem::exists(folder.path() / "platform_probe-window-101.png"));
}

// `program | head -1`: the reader goes away, the program stops with one line.
TEST(Cancellation, AReaderThatGoesAwayStopsTheRunWithOneLineAndAFailure) {
  const temporary_folder folder;
  const auto result = run_process(
      {.arguments = {"/bin/bash", "-c",
                     std::string("'") + PLATFORM_PROBE_PROGRAM +
                         "' hold marker 0 2> errors | head -1; echo \"${PIPESTATUS[0]}\""},
       .unset_environment = {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"},
       .working_directory = folder.name(),
       .timeout = 120s});
  ASSERT_FALSE(result.timed_out);
  EXPECT_EQ(result.standard_output, " frame 1\n1\n");
  const std::string errors = read_file(folder.name() + "/errors");
  EXPECT_TRUE(errors.ends_with(
      "platform_probe: cannot write standard output: " + std::string(std::strerror(EPIPE)) + "\n"))
      << errors;
  EXPECT_EQ(read_file(folder.name() + "/marker"), "unwound\n");
}

// On screen, under Xvfb: the frame window closed by a window manager (Alt+F4)
// or destroyed from outside while the routine runs cancels it, and the run
// fails; destroyed while the closing question waits, the complete run ends
// with 0; a signal ends it by that signal.
TEST(Cancellation, OnScreenClosingTheFrameWindowOrASignalUnwindsTheRoutine) {
  x_server server;
  ASSERT_TRUE(server.ready()) << "Xvfb did not start";
  background_process manager(
      {.arguments = {"openbox"}, .set_environment = {"DISPLAY=" + server.display()}});
  const auto deadline = std::chrono::steady_clock::now() + 30s;
  while (server.run({"xprop", "-root", "_NET_SUPPORTING_WM_CHECK"})
             .standard_output.find("window id") == std::string::npos) {
    ASSERT_TRUE(manager.running()) << "openbox did not start";
    ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "openbox did not take the screen";
    std::this_thread::sleep_for(50ms);
  }

  struct ending {
    const char* how;
    const char* frames;
    const char* title;  // of the frame window when it is ended
    int exit_status;
    int signal_number;
  };
  for (const ending& end :
       {ending{"alt+F4", "0", " running$", 1, 0}, ending{"destroy", "0", " running$", 1, 0},
        ending{"destroy", "2", " finished$", 0, 0},
        ending{"SIGTERM", "0", " running$", -1, SIGTERM}}) {
    SCOPED_TRACE(std::string(end.how) + " with frames " + end.frames);
    const temporary_folder folder;
    background_process program({.arguments = {PLATFORM_PROBE_PROGRAM, "hold", "marker", end.frames},
                                .unset_environment = {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY"},
                                .set_environment = {"DISPLAY=" + server.display()},
                                .working_directory = folder.name()});
    std::string frame;
    const auto found_by = std::chrono::steady_clock::now() + 60s;
    while (frame.empty() && program.running() && std::chrono::steady_clock::now() < found_by) {
      frame = server
                  .run({"xdotool", "search", "--onlyvisible", "--name",
                        std::string("^platform_probe .*") + end.title})
                  .standard_output;
      frame = frame.substr(0, frame.find('\n'));
      std::this_thread::sleep_for(50ms);
    }
    ASSERT_FALSE(frame.empty()) << "no frame window; the probe said:\n"
                                << program.wait(0s).standard_error;
    std::this_thread::sleep_for(500ms);
    if (std::string(end.how) == "alt+F4") {
      server.run({"xdotool", "windowactivate", "--sync", frame});
      server.run({"xdotool", "key", "--clearmodifiers", "alt+F4"});
    } else if (std::string(end.how) == "destroy") {
      server.run({"xdotool", "windowclose", frame});
    } else {
      program.send_signal(end.signal_number);
    }
    const auto result = program.wait(60s);
    EXPECT_FALSE(result.timed_out) << "the probe went on after its frame window had gone";
    EXPECT_EQ(result.exit_status, end.exit_status) << result.standard_error;
    EXPECT_EQ(result.terminating_signal, end.signal_number);
    EXPECT_EQ(read_file(folder.name() + "/marker"), "unwound\n") << result.standard_error;
  }
}

}  // namespace
}  // namespace mapplot::testing
