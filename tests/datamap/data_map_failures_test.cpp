#include <gmock/gmock.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <mapplot/data_map.hpp>
#include <stdexcept>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "data_file_fixture.hpp"
#include "side_by_side.hpp"
#include "textout/console_capture.hpp"

namespace mapplot {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using testing::read_whole_file;
using testing::write_whole_file;
using lines = std::vector<std::string>;

class DataMapFailure : public testing::data_file_test {
 protected:
  // The message of the std::system_error that writing to `name` throws.
  std::string system_error_writing(const std::string& name) {
    try {
      data_map(x, y, z, {.filename = name});
    } catch (const std::system_error& error) {
      return error.what();
    }
    ADD_FAILURE() << "writing " << name << " did not throw std::system_error";
    return {};
  }

  const std::vector<float> x{-1, 1};
  const std::vector<float> y{0, 0.5f, 1};
  const std::vector<float> z{1, 2, 3, 4, 5, 6};
};

TEST_F(DataMapFailure, AMissingFolderIsReportedByName) {
  EXPECT_THAT(system_error_writing("no_such_folder/Map.dat"),
              HasSubstr("\"no_such_folder/Map.dat\""));
  EXPECT_TRUE(folder_entries().empty());
  EXPECT_TRUE(console_.lines.empty());
}

TEST_F(DataMapFailure, APathThroughARegularFileIsReportedByName) {
  write_whole_file("somefile", "earlier");
  const std::string message = system_error_writing("somefile/Map.dat");
  EXPECT_THAT(message, HasSubstr("somefile/Map.dat"));
  EXPECT_THAT(message, HasSubstr(std::generic_category().message(ENOTDIR)));
  EXPECT_EQ(folder_entries(), lines{"somefile"});
  EXPECT_EQ(read_whole_file("somefile"), "earlier");
}

TEST_F(DataMapFailure, AFolderInPlaceOfTheFileIsLeftAlone) {
  std::filesystem::create_directory("Map.dat");
  EXPECT_THAT(system_error_writing("Map.dat"), HasSubstr("Map.dat"));
  EXPECT_TRUE(std::filesystem::is_directory("Map.dat"));
  EXPECT_EQ(folder_entries(), lines{"Map.dat"});
}

TEST_F(DataMapFailure, AFullDeviceIsReportedAndStaysADevice) {
  EXPECT_THAT(system_error_writing("/dev/full"), HasSubstr("\"/dev/full\""));
  EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));
  EXPECT_TRUE(console_.lines.empty());
}

TEST_F(DataMapFailure, TheNullDeviceStillWorks) {
  data_map(x, y, z, {.filename = "/dev/null"});
  EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
  EXPECT_EQ(console_.lines, lines{"  Output in /dev/null"});
}

// A file size limit makes writing a regular file fail part way, as a full disk
// would: the earlier file must survive whole and the temporary one disappear.
TEST_F(DataMapFailure, AFailedWriteLeavesTheEarlierFileIntact) {
  write_whole_file("Map.dat", "earlier contents\r\n");
  const std::vector<float> many(100000, 1.5f);

  rlimit previous;
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &previous), 0);
  const auto previous_handler = ::signal(SIGXFSZ, SIG_IGN);
  rlimit small = previous;
  small.rlim_cur = 100000;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  std::string message;
  try {
    data_map(many, many, many);
  } catch (const std::system_error& error) {
    message = error.what();
  }
  ::setrlimit(RLIMIT_FSIZE, &previous);
  ::signal(SIGXFSZ, previous_handler);

  EXPECT_THAT(message, HasSubstr("\"Map.dat\""));
  EXPECT_EQ(read_whole_file("Map.dat"), "earlier contents\r\n");
  EXPECT_EQ(folder_entries(), lines{"Map.dat"});
  // The size warning comes before the file is opened; no " Output in " line.
  EXPECT_EQ(console_.lines, lines{"  Warning: incompatible array sizes !!!"});
}

TEST_F(DataMapFailure, ABlankFileNameIsRejectedBeforeAnythingHappens) {
  for (const std::string_view blank : {"", "     "}) {
    EXPECT_THROW(data_map(x, y, std::vector<float>{1}, {.filename = blank}), std::invalid_argument);
    EXPECT_THROW(data_map(std::vector<double>{1}, std::vector<double>{1}, std::vector<double>{1},
                          {.filename = blank}),
                 std::invalid_argument);
  }
  EXPECT_TRUE(folder_entries().empty());
  EXPECT_TRUE(console_.lines.empty());
}

TEST_F(DataMapFailure, ANameWithANulByteIsRejectedByEveryOverload) {
  const std::string name("nul\0name.dat", 12);
  const std::vector<double> xd{-1, 1}, yd{0, 0.5, 1}, zd{1, 2, 3, 4, 5, 6};
  EXPECT_THROW(data_map(x, y, z, {.filename = name}), std::invalid_argument);
  EXPECT_THROW(data_map(xd, yd, zd, {.filename = name}), std::invalid_argument);
  EXPECT_THROW(data_map(x, y, grid_view<float>{z.data(), 2, 3}, {.filename = name}),
               std::invalid_argument);
  EXPECT_THROW(data_map(xd, yd, grid_view<double>{zd.data(), 2, 3}, {.filename = name}),
               std::invalid_argument);
  EXPECT_TRUE(folder_entries().empty());
  EXPECT_TRUE(console_.lines.empty());
}

TEST_F(DataMapFailure, AGridWhoseSizeOverflowsIsRejectedBeforeAnythingIsRead) {
  const std::size_t huge = std::size_t{1} << 33;
  EXPECT_THROW(data_map(x, y, grid_view<float>{z.data(), huge, huge}), std::invalid_argument);
  EXPECT_THROW(data_map(std::vector<double>{1}, std::vector<double>{1},
                        grid_view<double>{nullptr, SIZE_MAX / 4, 3}),
               std::invalid_argument);
  EXPECT_TRUE(folder_entries().empty());
  EXPECT_TRUE(console_.lines.empty());
}

// Names are file names: nothing in them is read as anything else.
TEST_F(DataMapFailure, NamesThatMeanSomethingElseElsewhereAreFiles) {
  for (const char* name : {"-", "?Device:"}) data_map(x, y, z, {.filename = name});
  EXPECT_EQ(folder_entries(), (lines{"-", "?Device:"}));
  EXPECT_EQ(read_whole_file("-"), read_whole_file("?Device:"));
  EXPECT_EQ(console_.lines, (lines{"  Output in -", "  Output in ?Device:"}));
}

// A FIFO under the name is written in place, not replaced by a file.
TEST_F(DataMapFailure, AFifoIsWrittenThroughAndStaysAFifo) {
  ASSERT_EQ(::mkfifo("pipe.dat", 0644), 0);
  std::string received;
  std::thread reader([&received] { received = read_whole_file("pipe.dat"); });
  data_map(x, y, z, {.filename = "pipe.dat"});
  reader.join();
  data_map(x, y, z);
  EXPECT_EQ(received, read_whole_file("Map.dat"));
  EXPECT_TRUE(std::filesystem::is_fifo("pipe.dat"));
  EXPECT_EQ(folder_entries(), (lines{"Map.dat", "pipe.dat"}));
}

TEST_F(DataMapFailure, ADanglingLinkIsWrittenThroughAndKept) {
  std::filesystem::create_symlink("made.dat", "Map.dat");
  data_map(x, y, z);
  EXPECT_TRUE(std::filesystem::is_symlink("Map.dat"));
  EXPECT_EQ(read_whole_file("Map.dat"), read_whole_file("made.dat"));
  EXPECT_EQ(folder_entries(), (lines{"Map.dat", "made.dat"}));
}

// Two processes writing one data file at once: the file is always one of
// theirs, whole; no temporary file is left.
TEST_F(DataMapFailure, TwoProcessesWritingOneFileLeaveOneWholeFile) {
  const std::vector<float> many(20000, 0.5f), other(20000, 0.25f);
  data_map(many, many, many, {.title = "first"});
  const std::string first = read_whole_file("Map.dat");
  data_map(other, other, other, {.title = "second"});
  const std::string second = read_whole_file("Map.dat");
  for (int round = 0; round < 6; ++round) {
    EXPECT_TRUE(testing::run_side_by_side([&](int which) {
      console_capture quiet;
      for (int repeat = 0; repeat < 3; ++repeat) {
        if (which == 0) {
          data_map(many, many, many, {.title = "first"});
        } else {
          data_map(other, other, other, {.title = "second"});
        }
      }
    }));
    const std::string left = read_whole_file("Map.dat");
    EXPECT_TRUE(left == first || left == second) << "round " << round;
    EXPECT_EQ(folder_entries(), lines{"Map.dat"});
  }
}

}  // namespace
}  // namespace mapplot
