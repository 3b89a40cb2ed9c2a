#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "scratch_folder.hpp"
#include "textout/console_capture.hpp"

namespace mapplot::testing {

// Each test runs in a fresh folder of its own, made the working directory so
// that the default "Map.dat" lands there, with the console recorded.
class data_file_test : public ::testing::Test {
 protected:
  // Names of everything in the test's folder, sorted.
  std::vector<std::string> folder_entries() const;

  scratch_folder scratch_;
  const std::filesystem::path& folder_ = scratch_.path();
  console_capture console_;
};

std::string read_whole_file(const std::filesystem::path& path);
void write_whole_file(const std::filesystem::path& path, const std::string& contents);
// The lines joined, each ended by carriage return and line feed.
std::string crlf_lines(const std::vector<std::string>& lines);
std::vector<std::string> split_crlf_lines(const std::string& contents);

}  // namespace mapplot::testing
