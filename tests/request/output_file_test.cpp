// The file primitive itself, in this process: where the bytes land, for
// either kind of writer.
#include "request/output_file.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <system_error>

#include "scratch_folder.hpp"

namespace mapplot {
namespace {

namespace fs = std::filesystem;
using testing::file_contents;
using testing::names_in;

void write_file(const std::string& name, std::string_view bytes) {
  output_file file(name, "data file", output_file::writer::this_process);
  file.write(bytes);
  file.commit();
}

// A relative link names a place from the link's folder, wherever the
// program runs; a decoy of the same name in the working folder must stay.
TEST(OutputFile, RelativeLinksAreFollowedFromTheirOwnFolder) {
  const testing::scratch_folder scratch;
  fs::create_directories("a/inner");
  fs::create_directory("b");
  std::ofstream("target.dat") << "decoy";
  std::ofstream("b/target.dat") << "earlier";
  fs::create_symlink("../b/hop.dat", "a/link.dat");  // a/link.dat -> b/hop.dat -> b/target.dat
  fs::create_symlink("target.dat", "b/hop.dat");
  fs::create_symlink("../../b/new.dat", "a/inner/dangling.dat");

  write_file("a/link.dat", "through two links");
  write_file("a/inner/dangling.dat", "made where it points");

  EXPECT_EQ(file_contents("b/target.dat"), "through two links");
  EXPECT_EQ(file_contents("b/new.dat"), "made where it points");
  EXPECT_EQ(file_contents("target.dat"), "decoy");
  EXPECT_TRUE(fs::is_symlink("a/link.dat") && fs::is_symlink("b/hop.dat") &&
              fs::is_symlink("a/inner/dangling.dat"));
  EXPECT_EQ(names_in("b"), (std::set<std::string>{"hop.dat", "new.dat", "target.dat"}));
  EXPECT_EQ(names_in("a"), (std::set<std::string>{"inner", "link.dat"}));
}

// A device behind a link is written in place: the full device's refusal is
// the call's failure, and neither the link nor the device is replaced.
TEST(OutputFile, ADeviceBehindALinkIsWrittenInPlaceAndNeverReplaced) {
  const testing::scratch_folder scratch;
  fs::create_symlink("/dev/full", "full.dat");
  for (const auto who : {output_file::writer::this_process, output_file::writer::by_path}) {
    std::string temporary;
    try {
      output_file file("full.dat", "data file", who);
      temporary = file.temporary_path();
      if (who == output_file::writer::this_process) {
        file.write("bytes");
      } else {
        std::ofstream(file.temporary_path(), std::ios::trunc) << "bytes";
      }
      file.commit();
      ADD_FAILURE() << "a full device took the file";
    } catch (const std::system_error& failure) {
      EXPECT_EQ(failure.code().value(), ENOSPC);
      EXPECT_NE(std::string(failure.what()).find("\"full.dat\""), std::string::npos)
          << failure.what();
    }
    if (!temporary.empty()) {
      EXPECT_FALSE(fs::exists(temporary)) << temporary;
    }
  }
  EXPECT_TRUE(fs::is_symlink("full.dat"));
  EXPECT_TRUE(fs::is_character_file("/dev/full"));
  EXPECT_EQ(names_in("."), std::set<std::string>{"full.dat"});
}

}  // namespace
}  // namespace mapplot
