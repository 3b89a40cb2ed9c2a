// The file primitive in processes of its own: a failing fsync preloaded into
// the process, a file size limit, and fatal signals in the middle of a write.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <thread>

#include "../program/child_process.hpp"
#include "scratch_folder.hpp"

namespace mapplot::testing {
namespace {

namespace fs = std::filesystem;

const std::string probe = MAPPLOT_OUTPUT_FILE_PROBE;

// The environment that makes fsync fail on `which` ("file" or "folder").
std::vector<std::string> failing_fsync(const char* which) {
  return {std::string("LD_PRELOAD=") + MAPPLOT_FSYNC_FAULT_LIBRARY,
          std::string("MAPPLOT_FAIL_FSYNC=") + which,
          // AddressSanitizer wants its runtime first; the shim only wraps fsync.
          "ASAN_OPTIONS=verify_asan_link_order=0"};
}

class OutputFileProcess : public ::testing::Test {
 protected:
  process_result run(std::vector<std::string> arguments,
                     std::vector<std::string> environment = {}) {
    return run_process({.arguments = std::move(arguments),
                        .set_environment = std::move(environment),
                        .working_directory = folder.name(),
                        .timeout = std::chrono::seconds(60)});
  }
  fs::path file(const char* name) const { return folder.path() / name; }

  temporary_folder folder;
};

TEST_F(OutputFileProcess, AFailingFsyncOfTheFileFailsTheCallAndKeepsTheEarlierFile) {
  std::ofstream(file("Map.dat")) << "earlier";
  const auto result = run({probe, "write", "Map.dat", "5000"}, failing_fsync("file"));
  EXPECT_EQ(result.exit_status, 1);
  EXPECT_NE(result.standard_error.find("\"Map.dat\""), std::string::npos) << result.standard_error;
  EXPECT_NE(result.standard_error.find(std::generic_category().message(EIO)), std::string::npos)
      << result.standard_error;
  EXPECT_EQ(read_file(file("Map.dat")), "earlier");
  EXPECT_EQ(names_in(folder.path()), std::set<std::string>{"Map.dat"});
}

// Once the file has its name it is whole; a folder that cannot be synced is
// said in a warning line, and the call succeeds.
TEST_F(OutputFileProcess, AFailingFolderSyncIsAWarningAfterTheFileIsInPlace) {
  std::ofstream(file("Map.dat")) << "earlier";
  const auto result = run({probe, "write", "Map.dat", "5000"}, failing_fsync("folder"));
  EXPECT_EQ(result.exit_status, 0) << result.standard_error;
  EXPECT_EQ(result.standard_output, "  Warning: folder entry of Map.dat may not be durable (" +
                                        std::generic_category().message(EIO) + ")\nwritten\n");
  EXPECT_EQ(read_file(file("Map.dat")), std::string(5000, 'n'));
  EXPECT_EQ(names_in(folder.path()), std::set<std::string>{"Map.dat"});
}

// Past the file size limit a write fails with EFBIG instead of SIGXFSZ
// ending the process half way.
TEST_F(OutputFileProcess, AFileSizeLimitIsAFailedWriteNotADeath) {
  std::ofstream(file("Map.dat")) << "earlier";
  const auto result =
      run({"/bin/sh", "-c", "ulimit -f 8 && exec \"$0\" write Map.dat 200000", probe});
  EXPECT_EQ(result.exit_status, 1) << "ended by a signal?";
  EXPECT_NE(result.standard_error.find(std::generic_category().message(EFBIG)), std::string::npos)
      << result.standard_error;
  EXPECT_EQ(read_file(file("Map.dat")), "earlier");
  EXPECT_EQ(names_in(folder.path()), std::set<std::string>{"Map.dat"});
}

// The temporary file exists while the write is under way; a fatal signal
// then removes it and still ends the process.
TEST_F(OutputFileProcess, AFatalSignalLeavesNoTemporaryFile) {
  std::ofstream(file("Map.dat")) << "earlier";
  for (const int signal_number : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
    for (const bool own_handlers : {false, true}) {
      std::vector<std::string> arguments{probe, "hold", "Map.dat"};
      if (own_handlers) arguments.push_back("own");
      background_process holder({.arguments = arguments, .working_directory = folder.name()});
      std::string said;
      while (holder.running() && (said = holder.standard_output_so_far()).find('\n') == said.npos)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      ASSERT_TRUE(said.starts_with("holding ./.mapplot-")) << said;
      const std::string pid = said.substr(said.find("mapplot-") + 8);
      EXPECT_TRUE(fs::exists(file(said.substr(10, said.size() - 11).c_str())));
      ASSERT_EQ(::kill(std::stoi(pid), signal_number), 0);
      const auto result = holder.wait(std::chrono::seconds(30));
      EXPECT_FALSE(result.timed_out);
      // With handlers of its own the program ends through its destructors
      // (SIGQUIT, not handled, still ends it); without, the signal ends it.
      const bool handled = own_handlers && signal_number != SIGQUIT;
      EXPECT_EQ(result.exit_status, handled ? 3 : -1) << "signal " << signal_number;
      EXPECT_EQ(names_in(folder.path()), std::set<std::string>{"Map.dat"})
          << "signal " << signal_number << (own_handlers ? " with own handlers" : "");
      EXPECT_EQ(read_file(file("Map.dat")), "earlier");
    }
  }
}

}  // namespace
}  // namespace mapplot::testing
