// Every way a frame file can fail is a clear error, never a broken file.
// (Files written whole are checked with the zoom's recording.)
#include "julia_zoom/frame_files.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <stdexcept>
#include <system_error>

#include "../program/child_process.hpp"
#include "recorded_frames.hpp"
#include "scratch_folder.hpp"

namespace mapplot::testing {
namespace {

TEST(FrameFiles, WhatCannotBeWrittenIsAnErrorNamingTheFile) {
  const temporary_folder scratch;
  const std::filesystem::path& folder = scratch.path();
  std::ofstream(folder / "plain-file") << "not a folder";
  try {
    prepare_frame_folder(folder / "plain-file" / "frames");
    FAIL() << "a folder under a plain file was made";
  } catch (const std::system_error& failure) {
    EXPECT_NE(std::string(failure.what()).find("plain-file/frames"), std::string::npos)
        << failure.what();
  }
  EXPECT_THROW(prepare_frame_folder(folder / "plain-file"), std::system_error);

  // A folder in the way of the file: the picture cannot take its name.
  std::filesystem::create_directory(folder / "frame-001.png");
  const std::vector<std::uint32_t> pixels(4, 0xff808080u);
  try {
    write_frame_file(frame_file_path(folder, 1), {2, 2, pixels});
    FAIL() << "a frame file was written over a folder";
  } catch (const std::runtime_error& failure) {
    EXPECT_NE(std::string(failure.what()).find("frame-001.png"), std::string::npos)
        << failure.what();
  }
  // Fewer pixels than the size claims are refused before anything is read.
  EXPECT_THROW(write_frame_file(frame_file_path(folder, 2), {3, 2, pixels}), std::invalid_argument);
  EXPECT_THROW(write_frame_file(frame_file_path(folder, 2), {0, 2, pixels}), std::invalid_argument);
  EXPECT_EQ(names_in(folder), (std::set<std::string>{"plain-file", "frame-001.png"}));
}

}  // namespace
}  // namespace mapplot::testing
