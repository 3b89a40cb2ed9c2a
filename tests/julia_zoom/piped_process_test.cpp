// The pipe to a child program: how it is found, how its failure is told, and
// when a slow reader counts as stalled.
#include "julia_zoom/video/piped_process.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "scratch_folder.hpp"

namespace mapplot {
namespace {

using namespace std::chrono_literals;

// An empty entry of PATH stands for the current folder, as in the shell.
TEST(PipedProcess, AnEmptyPathEntryIsTheCurrentFolder) {
  const testing::temporary_folder scratch;
  const std::filesystem::path tool = scratch.path() / "mapplot-fake-tool";
  std::ofstream(tool) << "#!/bin/sh\n";
  std::filesystem::permissions(tool, std::filesystem::perms::owner_all);
  const std::filesystem::path was_in = std::filesystem::current_path();
  const std::string old_path = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
  std::filesystem::current_path(scratch.path());
  ::setenv("PATH", "/nonexistent::/nonexistent-too", 1);
  const std::string found = find_program("mapplot-fake-tool");
  ::setenv("PATH", "/nonexistent", 1);
  const std::string not_found = find_program("mapplot-fake-tool");
  ::setenv("PATH", old_path.c_str(), 1);
  std::filesystem::current_path(was_in);
  EXPECT_EQ(found, "./mapplot-fake-tool");
  EXPECT_EQ(not_found, "");
}

// A failure is told by the last line the program wrote to standard error,
// or by the signal that ended it when it wrote nothing.
TEST(PipedProcess, AFailureIsToldByTheLastLineOrTheSignal) {
  piped_process talker({"/bin/sh", "-c", "echo 'first line' >&2; echo 'last line  ' >&2; exit 3"});
  const process_ending talked = talker.finish();
  EXPECT_FALSE(talked.succeeded());
  EXPECT_EQ(talked.exit_status, 3);
  EXPECT_EQ(talked.reason(), "last line");

  piped_process killed({"/bin/sh", "-c", "kill -9 $$"});
  EXPECT_EQ(killed.finish().reason(), "it was ended by signal 9 (Killed)");
}

// The stall limit counts from the last bytes the program took: one that
// reads slowly but steadily is fed for as long as it takes.
TEST(PipedProcess, AReaderThatKeepsTakingIsNeverStalled) {
  piped_process reader(
      {"/bin/sh", "-c", "while [ \"$(head -c 16384 | wc -c)\" -gt 0 ]; do sleep 0.02; done"});
  const std::vector<std::byte> bytes(3 << 20);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(reader.write_input(bytes, 400ms), piped_process::input_outcome::taken);
  // Only a feed that outlasted the limit shows that the limit restarts.
  EXPECT_GT(std::chrono::steady_clock::now() - start, 400ms);
  EXPECT_TRUE(reader.finish().succeeded());
}

}  // namespace
}  // namespace mapplot
