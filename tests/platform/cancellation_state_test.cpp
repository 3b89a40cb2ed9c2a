// What a cancellation leaves for later, and what it ends: a new session
// starts uncancelled, a descriptor asked for after the request is readable at
// once, the caller's console sink comes back after a session, and a FIFO that
// no process reads holds its writer only until the cancellation.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <future>
#include <mapplot/console.hpp>
#include <mapplot/screen_map.hpp>
#include <mapplot/screen_session.hpp>
#include <mapplot/window_pictures.hpp>
#include <string>
#include <thread>
#include <vector>

#include "platform/cancellation.hpp"
#include "qt_application.hpp"
#include "request/output_file.hpp"
#include "scratch_folder.hpp"

namespace mapplot {
namespace {

using namespace std::chrono_literals;

bool readable(int descriptor) {
  pollfd watched{descriptor, POLLIN, 0};
  return ::poll(&watched, 1, 0) == 1;
}

// A closed window, a broken pipe or a signal cancelled an earlier session; the
// next one draws.
TEST(CancellationState, ASessionAfterACancellationStartsUncancelled) {
  testing::ensure_qt_application();
  for (const int signal_number : {0, SIGPIPE, SIGINT}) {
    SCOPED_TRACE(signal_number);
    request_cancellation(signal_number);
    ASSERT_TRUE(readable(cancellation_descriptor()));
    screen_session session;
    EXPECT_FALSE(cancellation_requested());
    EXPECT_EQ(cancellation_signal(), 0);
    EXPECT_FALSE(readable(cancellation_descriptor()));
    int presented = 0;
    const frame_subscription watch([&](const presented_frame&) { ++presented; });
    std::thread worker([] {
      const std::vector<double> x{0, 1}, y{0, 1}, values{0, 1, 2, 3};
      EXPECT_NO_THROW(screen_map(x, y, values, {.ownwindow = true}));
    });
    worker.join();
    EXPECT_EQ(presented, 1);
  }
}

// In a process of its own, where nothing has asked for the descriptor yet.
TEST(CancellationStateDeathTest, ARequestBeforeTheDescriptorExistsMakesItReadable) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        request_cancellation();
        std::_Exit(readable(cancellation_descriptor()) ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

// A program that takes the console lines itself gets them back after a
// session, with or without a callback of the session's own.
TEST(CancellationState, TheCallersConsoleSinkComesBackWhenASessionEnds) {
  testing::ensure_qt_application();
  struct kept_lines final : console_sink {
    void write_line(std::string_view) override {}
    std::size_t line_width() const override { return 80; }
  } callers;
  console_sink* const before = install_console_sink(&callers);
  {
    screen_session session([](std::string_view) {});
  }
  EXPECT_EQ(install_console_sink(&callers), &callers);
  { screen_session session; }
  EXPECT_EQ(install_console_sink(before), &callers);
}

// Closing the window while a FIFO waits for a reader ends the wait. Should
// the open not end, a reader comes after 20 s, so that the test fails
// instead of hanging.
TEST(CancellationState, AFifoWithoutAReaderWaitsOnlyUntilTheCancellation) {
  const testing::temporary_folder scratch;
  const std::string fifo = scratch.name() + "/zoom.mp4";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  reset_cancellation();
  auto opening = std::async(std::launch::async, [&] {
    try {
      output_file file(fifo, "video", output_file::writer::this_process);
      return std::string("opened");
    } catch (const program_cancelled&) {
      return std::string("cancelled");
    }
  });
  // Most likely while it waits; before the wait, the outcome is the same.
  std::this_thread::sleep_for(100ms);
  request_cancellation();
  const bool ended = opening.wait_for(20s) == std::future_status::ready;
  if (!ended) ::close(::open(fifo.c_str(), O_RDONLY | O_NONBLOCK));
  EXPECT_TRUE(ended) << "the open went on after the cancellation";
  EXPECT_EQ(opening.get(), "cancelled");
  reset_cancellation();
  struct stat status {};
  ASSERT_EQ(::stat(fifo.c_str(), &status), 0);
  EXPECT_TRUE(S_ISFIFO(status.st_mode));
  EXPECT_EQ(testing::names_in(scratch.path()), std::set<std::string>{"zoom.mp4"});
}

}  // namespace
}  // namespace mapplot
