// julia_counts() at the edges of what it promises: the largest limit whose
// counts a float holds exactly, refusals that write nothing, and the
// cancellable call, which must give up promptly even where every start runs to
// the limit.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <limits>
#include <mapplot/julia_zoom.hpp>
#include <stdexcept>
#include <stop_token>
#include <thread>
#include <vector>

namespace mapplot {
namespace {

constexpr float untouched = -99.0f;

// -i never escapes, exactly: -i -> -1 + i -> -i in any precision. A view of
// half-width 0 around it starts every pixel there.
constexpr long double cycle_re = 0.0L, cycle_im = -1.0L;

TEST(JuliaCountsLimit, TheLargestLimitStillTellsNeverEscapingFromEscapingAtTheLastTest) {
  constexpr int largest = julia_counts_largest_limit;
  static_assert(largest + 1 == 1 << 24);
  std::vector<float> counts(2, untouched);
  julia_counts(cycle_re, cycle_im, 0, 0, largest, 1, 1, counts);
  EXPECT_EQ(counts[0], 16777216.0f);  // limit + 1: never escaped
  EXPECT_EQ(counts[0] - 1, static_cast<float>(largest));
  EXPECT_EQ(counts[1], untouched);
}

TEST(JuliaCountsLimit, RefusesWhatItCannotCountExactlyAndWritesNothing) {
  const long double nan = std::numeric_limits<long double>::quiet_NaN();
  const long double infinity = std::numeric_limits<long double>::infinity();
  struct refused {
    long double cx, cy, ray_x, ray_y;
    int limit;
  };
  const refused cases[] = {
      {0, -1, 1, 1, julia_counts_largest_limit + 1},  // limit + 1 = 2^24 + 1 is no float
      {0, -1, 1, 1, std::numeric_limits<int>::max()},
      {nan, -1, 1, 1, 10},
      {0, nan, 1, 1, 10},
      {0, -1, nan, 1, 10},
      {0, -1, 1, -nan, 10},
      {infinity, -1, 1, 1, 10},
      {0, -infinity, 1, 1, 10},
      {0, -1, infinity, 1, 10},
      {0, -1, 1, -infinity, 10},
  };
  for (const refused& c : cases) {
    std::vector<float> counts(9, untouched);
    EXPECT_THROW(julia_counts(c.cx, c.cy, c.ray_x, c.ray_y, c.limit, 3, 3, counts),
                 std::invalid_argument)
        << "limit " << c.limit;
    std::stop_source never;
    EXPECT_THROW(static_cast<void>(julia_counts(c.cx, c.cy, c.ray_x, c.ray_y, c.limit, 3, 3, counts,
                                                never.get_token())),
                 std::invalid_argument);
    for (float count : counts) ASSERT_EQ(count, untouched);
  }
}

TEST(JuliaCountsStop, AStopRequestedBeforeTheCallWritesNothing) {
  std::stop_source stop;
  stop.request_stop();
  std::vector<float> counts(40 * 30, untouched);
  EXPECT_FALSE(julia_counts(-0.5L, 0, 1.5L, 1.5L, 60, 40, 30, counts, stop.get_token()));
  for (float count : counts) ASSERT_EQ(count, untouched);
}

TEST(JuliaCountsStop, AStopThatNeverComesGivesTheCountsOfTheWholeCall) {
  std::vector<float> expected(73 * 41), counts(73 * 41, untouched);
  julia_counts(1.3L, -0.625L, 0.01L, 0.007L, 90, 73, 41, expected);
  std::stop_source stop;
  EXPECT_TRUE(julia_counts(1.3L, -0.625L, 0.01L, 0.007L, 90, 73, 41, counts, stop.get_token()));
  EXPECT_EQ(counts, expected);
}

// Every pixel of this view runs to the largest limit: a few minutes of work
// on two cores. Stopped after a moment, the call must come back (a stop that
// is not heard would run into the test's timeout), say so, and have written
// no count but the right one.
TEST(JuliaCountsStop, AStopDuringAViewWhoseStartsNeverEscapeEndsTheCall) {
  constexpr std::size_t side = 48;
  std::vector<float> counts(side * side, untouched);
  std::stop_source stop;
  std::jthread stopper([&stop] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    stop.request_stop();
  });
  const bool finished = julia_counts(cycle_re, cycle_im, 0, 0, julia_counts_largest_limit, side,
                                     side, counts, stop.get_token());
  EXPECT_FALSE(finished);
  std::size_t written = 0;
  for (float count : counts) {
    if (count == untouched) continue;
    ++written;
    ASSERT_EQ(count, 16777216.0f);
  }
  EXPECT_LT(written, counts.size());
}

}  // namespace
}  // namespace mapplot
