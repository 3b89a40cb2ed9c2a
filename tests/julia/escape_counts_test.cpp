#include "julia/escape_counts.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "escape_windows.hpp"

namespace mapplot {
namespace {

using test_windows::counts_through;
using test_windows::differing_cells;
using test_windows::named_window;
using test_windows::plain_counts;

constexpr escape_path all_paths[] = {escape_path::extended, escape_path::avx2, escape_path::avx512};

const char* path_name(escape_path path) {
  switch (path) {
    case escape_path::extended:
      return "extended";
    case escape_path::avx2:
      return "avx2";
    case escape_path::avx512:
      return "avx512";
  }
  return "?";
}

// Checks every supported path against the plain evaluation on `windows` and
// returns, per path, how many points the extended loop had to compute.
std::vector<std::size_t> check_paths(const std::vector<named_window>& windows, const char* what) {
  std::vector<std::size_t> recomputed(std::size(all_paths), 0);
  for (const named_window& window : windows) {
    const std::vector<float> expected = plain_counts(window.frame);
    for (std::size_t i = 0; i < std::size(all_paths); ++i) {
      if (!escape_path_supported(all_paths[i])) continue;
      const test_windows::path_counts actual = counts_through(all_paths[i], window.frame);
      EXPECT_EQ(differing_cells(actual.grid, expected), 0u)
          << window.name << " through " << path_name(all_paths[i]);
      recomputed[i] += actual.recomputed;
    }
  }
  for (std::size_t i = 0; i < std::size(all_paths); ++i) {
    if (!escape_path_supported(all_paths[i])) continue;
    std::printf("[ fallback ] %s, %s: %zu of %zu points recomputed\n", what,
                path_name(all_paths[i]), recomputed[i],
                windows.size() * julia_grid_side * julia_grid_side);
  }
  return recomputed;
}

TEST(EscapeCounts, EveryPathGivesThePlainCountsInAllFrames) {
  std::vector<named_window> frames;
  for (int k = 1; k <= julia_frame_count; ++k) {
    frames.push_back({"frame " + std::to_string(k), julia_window(k)});
  }
  check_paths(frames, "the 335 frames");
}

TEST(EscapeCounts, EveryPathGivesThePlainCountsNearTheSet) {
  check_paths(test_windows::windows_near_the_set(11, 120), "120 windows near the set");
}

// Here the double path must hand points back, and what comes back must be the
// extended count.
TEST(EscapeCounts, StartsOnTheEscapeThresholdGoBackToTheExtendedLoop) {
  const std::vector<named_window> windows = test_windows::windows_on_the_threshold(40);
  ASSERT_EQ(windows.size(), 40u);
  for (const named_window& window : windows) {
    for (escape_path path : {escape_path::avx2, escape_path::avx512}) {
      if (!escape_path_supported(path)) continue;
      EXPECT_GT(counts_through(path, window.frame).recomputed, 0u)
          << window.name << " through " << path_name(path);
    }
  }
  const std::vector<std::size_t> recomputed = check_paths(windows, "40 windows on the threshold");
  EXPECT_EQ(recomputed[0], 0u);  // the extended path computes everything itself
}

// Starts whose counts only the whole bound gets right (a bound cut to a
// quarter already certifies wrong ones): the vector paths must hand each back.
TEST(EscapeCounts, StartsThatNeedTheWholeBoundGetThePlainCounts) {
  for (const test_windows::hard_start& start : test_windows::starts_that_need_the_whole_bound()) {
    const float expected = test_windows::plain_count(start.re, start.im, start.limit);
    for (escape_path path : all_paths) {
      if (!escape_path_supported(path)) continue;
      float count = -99;
      const std::size_t recomputed = escape_counts_of_row(
          std::span(&start.re, 1), start.im, start.limit + 1, std::span(&count, 1), path);
      EXPECT_EQ(count, expected) << static_cast<double>(start.re) << " through " << path_name(path);
      EXPECT_EQ(recomputed, path == escape_path::extended ? 0u : 1u)
          << static_cast<double>(start.re) << " through " << path_name(path);
    }
  }
}

TEST(EscapeCounts, StartsBeyondDoubleRangeGoBackToTheExtendedLoop) {
  const std::vector<named_window> windows = test_windows::windows_outside_the_double_range();
  check_paths(windows, "windows outside the double range");
  for (escape_path path : {escape_path::avx2, escape_path::avx512}) {
    if (!escape_path_supported(path)) continue;
    // Coordinates q * 1.2e21 / 60 pass 2^64 from |q| = 1 on: only the centre
    // stays; the huge imaginary part sends every row back.
    EXPECT_EQ(counts_through(path, windows[0].frame).recomputed,
              julia_grid_side * julia_grid_side - 1);
    EXPECT_EQ(counts_through(path, windows[1].frame).recomputed, julia_grid_side * julia_grid_side);
  }
}

}  // namespace
}  // namespace mapplot
