// A caller that flushes subnormal numbers (FTZ), reads them as zero (DAZ) and
// rounds upward in its SSE unit, its x87 unit left at the defaults: none of it
// may reach the computation, on any thread, and all of it must be back
// afterwards. The double-precision path computes in SSE and its proof assumes
// rounding to nearest; the x87 settings are another test's business.
#include <gtest/gtest.h>
#include <xmmintrin.h>

#include <chrono>
#include <mapplot/julia_zoom.hpp>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "escape_windows.hpp"
#include "julia/exact_arithmetic_scope.hpp"
#include "julia/grid_workers.hpp"
#include "julia/julia_view.hpp"

namespace mapplot {
namespace {

constexpr unsigned flush_to_zero = 0x8000, denormals_are_zero = 0x0040;
constexpr unsigned rounding_bits = 0x6000, round_upward = 0x4000;
constexpr unsigned modes = flush_to_zero | denormals_are_zero | rounding_bits;
constexpr unsigned sse_flags = 0x003F;

// Windows near the set and on the escape threshold, and views whose starts
// are subnormal doubles or whose counts change between neighbouring starts,
// each with its counts in the default environment.
struct expected_counts {
  std::vector<julia_frame> frames;
  std::vector<std::vector<float>> grids;
  std::vector<julia_view> views;
  std::vector<std::vector<float>> view_counts;
};

std::vector<float> view_counts(const julia_view& v) {
  std::vector<float> counts(v.columns * v.rows);
  julia_counts(v.cx, v.cy, v.ray_x, v.ray_y, v.limit, v.columns, v.rows, counts);
  return counts;
}

std::vector<float> grid(const julia_frame& frame) {
  std::vector<float> X(julia_grid_side), Y(julia_grid_side), A(julia_grid_side * julia_grid_side);
  julia_grid(frame, X, Y, A);
  return A;
}

expected_counts counts_in_the_default_environment() {
  expected_counts expected;
  for (const auto& w : test_windows::windows_on_the_threshold(8))
    expected.frames.push_back(w.frame);
  for (const auto& w : test_windows::windows_near_the_set(3, 6)) expected.frames.push_back(w.frame);
  for (const julia_frame& frame : expected.frames) {
    expected.grids.push_back(test_windows::plain_counts(frame));
  }
  expected.views = {{0, 1e-310L, 1e-312L, 1e-312L, 40, 20, 20},     // subnormal imaginary parts
                    {1e-309L, -1, 1e-311L, 1e-311L, 40, 20, 20},    // subnormal real parts
                    {0, -1, 1e-17L, 3e-18L, 413, 64, 32},           // near the cycle of -i
                    {1.3L, -0.625L, 1e-14L, 1e-14L, 330, 40, 40}};  // at the double path's limit
  for (const julia_view& view : expected.views) expected.view_counts.push_back(view_counts(view));
  return expected;
}

TEST(CallerSseSettings, StayOutsideTheComputationOnEveryThreadAndComeBackAfterIt) {
  const expected_counts expected = counts_in_the_default_environment();
  const unsigned default_sse = _mm_getcsr();

  _mm_setcsr((default_sse & ~modes) | flush_to_zero | denormals_are_zero | round_upward);
  const unsigned callers = _mm_getcsr();
  grid_workers& workers = grid_workers::shared();  // its helpers start with the caller's settings

  // What every thread that takes a row sees, inside the scope the
  // computation holds.
  std::mutex lock;
  std::set<std::thread::id> threads;
  std::vector<unsigned> seen;
  {
    const exact_arithmetic_scope exact;
    workers.run_rows(200, [&](int) {
      const unsigned inside = _mm_getcsr();
      std::this_thread::sleep_for(std::chrono::microseconds(500));  // lets every helper take rows
      std::scoped_lock hold(lock);
      threads.insert(std::this_thread::get_id());
      seen.push_back(inside);
    });
  }
  const unsigned after_scope = _mm_getcsr();

  std::vector<std::vector<float>> grids, counts;
  for (const julia_frame& frame : expected.frames) grids.push_back(grid(frame));
  for (const julia_view& view : expected.views) counts.push_back(view_counts(view));
  const unsigned after_counts = _mm_getcsr();
  _mm_setcsr(default_sse);

  if (workers.helper_count() > 0) {
    EXPECT_GT(threads.size(), 1u) << "no helper took a row";
  }
  for (unsigned inside : seen) {
    ASSERT_EQ(inside & modes, 0u) << std::hex << "MXCSR " << inside << " inside the computation";
  }
  EXPECT_EQ(after_scope & ~sse_flags, callers & ~sse_flags) << std::hex << after_scope;
  EXPECT_EQ(after_counts & ~sse_flags, callers & ~sse_flags) << std::hex << after_counts;
  for (std::size_t i = 0; i < grids.size(); ++i) {
    EXPECT_EQ(test_windows::differing_cells(grids[i], expected.grids[i]), 0u) << "window " << i;
  }
  for (std::size_t i = 0; i < counts.size(); ++i) {
    EXPECT_EQ(test_windows::differing_cells(counts[i], expected.view_counts[i]), 0u)
        << "view " << i;
  }
}

}  // namespace
}  // namespace mapplot
