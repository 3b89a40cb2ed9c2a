// Targets that open(2) treats specially: a FIFO whose reader comes late and
// reads slowly gets every byte, and a file the process may not write is
// refused as opening it would refuse it, even where the folder would let a
// rename replace it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>
#include <system_error>
#include <thread>

#include "request/output_file.hpp"
#include "scratch_folder.hpp"

namespace mapplot {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// The FIFO's reader opens it after the writer, most likely, and pauses now
// and then; the bytes are many times what the pipe holds, so that the writer
// waits for room. Both kinds of writer, the second through its temporary copy.
TEST(OutputFileAccess, AFifoWaitsForALateReaderAndFeedsItAsSlowlyAsItReads) {
  const testing::temporary_folder scratch;
  const std::string fifo = scratch.name() + "/Map.dat";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::string bytes(1 << 20, '\0');
  for (std::size_t k = 0; k < bytes.size(); ++k) bytes[k] = static_cast<char>('a' + k % 23);
  for (const auto who : {output_file::writer::this_process, output_file::writer::by_path}) {
    std::string received;
    std::thread reader([&] {
      std::this_thread::sleep_for(200ms);
      const int descriptor = ::open(fifo.c_str(), O_RDONLY);
      char chunk[4096];
      for (ssize_t got; descriptor >= 0 && (got = ::read(descriptor, chunk, sizeof chunk)) > 0;) {
        received.append(chunk, static_cast<std::size_t>(got));
        if (received.size() % (64 * 4096) == 0) std::this_thread::sleep_for(10ms);
      }
      if (descriptor >= 0) ::close(descriptor);
    });
    {
      output_file file(fifo, "data file", who);
      if (who == output_file::writer::this_process) {
        file.write(bytes);
      } else {
        std::ofstream(file.temporary_path(), std::ios::binary) << bytes;
      }
      file.commit();
    }
    reader.join();
    EXPECT_EQ(received.size(), bytes.size());
    EXPECT_TRUE(received == bytes);
  }
  struct stat status {};
  ASSERT_EQ(::stat(fifo.c_str(), &status), 0);
  EXPECT_TRUE(S_ISFIFO(status.st_mode));
  EXPECT_EQ(testing::names_in(scratch.path()), std::set<std::string>{"Map.dat"});
}

// Root may write a 0444 file, so the writer is a child that gives up root
// where it has it and writes as nobody. Its exit status says what it saw.
TEST(OutputFileAccess, AFileTheUserMayNotWriteIsRefusedAndKept) {
  const testing::temporary_folder scratch;
  fs::permissions(scratch.path(), fs::perms::all);  // open to nobody
  const fs::path target = scratch.path() / "Map.dat";
  std::ofstream(target) << "earlier";
  fs::permissions(target, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);

  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    constexpr uid_t nobody = 65534;
    if (::getuid() == 0 && (::setgid(nobody) != 0 || ::setuid(nobody) != 0)) ::_exit(10);
    // The folder takes a file of this user's: only the target is refused.
    try {
      output_file fresh((scratch.path() / "fresh.dat").string(), "data file",
                        output_file::writer::this_process);
      fresh.write("fresh");
      fresh.commit();
    } catch (...) {
      ::_exit(11);
    }
    try {
      output_file file(target.string(), "data file", output_file::writer::this_process);
      file.write("replaced");
      file.commit();
    } catch (const std::system_error& failure) {
      const std::string expected =
          "cannot write data file \"" + target.string() + "\": " + std::strerror(EACCES);
      ::_exit(failure.code().value() == EACCES && failure.what() == expected ? 0 : 12);
    } catch (...) {
      ::_exit(13);
    }
    ::_exit(14);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0)
      << "10: could not become nobody; 11: the folder took no file; 12: not EACCES as expected; "
         "14: the file was replaced";
  EXPECT_EQ(testing::file_contents(target), "earlier");
  EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  EXPECT_EQ(testing::names_in(scratch.path()), (std::set<std::string>{"Map.dat", "fresh.dat"}));
}

}  // namespace
}  // namespace mapplot
