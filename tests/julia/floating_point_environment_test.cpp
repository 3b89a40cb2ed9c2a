// The counts are defined in round-to-nearest with 64-bit x87 precision: a
// caller that has set another rounding mode, a shorter x87 precision, flushing
// of subnormal numbers or floating-point traps must get the same counts, and
// its own settings back. Each environment runs in a process of its own, whose
// grid workers' threads are started under it too.
#include <fpu_control.h>
#include <gtest/gtest.h>
#include <xmmintrin.h>

#include <cfenv>
#include <mapplot/julia_zoom.hpp>
#include <string>
#include <vector>

#include "escape_windows.hpp"
#include "julia/grid_workers.hpp"
#include "julia/julia_view.hpp"

namespace mapplot {
namespace {

struct environment {
  const char* name;
  void (*set)();
  bool changes_the_plain_evaluation;
};

void set_x87_precision(fpu_control_t precision) {
  fpu_control_t word;
  _FPU_GETCW(word);
  word = (word & ~_FPU_EXTENDED) | precision;
  _FPU_SETCW(word);
}

const environment environments[] = {
    {"Upward", [] { std::fesetround(FE_UPWARD); }, true},
    {"Downward", [] { std::fesetround(FE_DOWNWARD); }, true},
    {"TowardZero", [] { std::fesetround(FE_TOWARDZERO); }, true},
    {"X87Precision53", [] { set_x87_precision(_FPU_DOUBLE); }, true},
    {"X87Precision24", [] { set_x87_precision(_FPU_SINGLE); }, true},
    {"FlushToZeroDenormalsAreZero", [] { _mm_setcsr(_mm_getcsr() | 0x8040); }, false},
    {"TrapsAndUpward",
     [] {
       std::fesetround(FE_UPWARD);
       feenableexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW);
     },
     false},
};

// What a caller can observe of its environment on its own thread.
struct settings {
  fpu_control_t x87_control;
  unsigned sse_control;
  int rounding;
  bool operator==(const settings&) const = default;
};

settings current_settings() {
  settings now{};
  _FPU_GETCW(now.x87_control);
  now.sse_control = _mm_getcsr();
  now.rounding = std::fegetround();
  return now;
}

struct window_counts {
  julia_frame frame;
  std::vector<float> counts;
};

// Every 8th frame of the zoom, windows near the set (some so narrow that the
// extended loop computes every point), and windows through a start whose
// count changes between neighbouring long doubles, with their counts from the
// plain evaluation in the default environment.
std::vector<window_counts> windows_with_expected_counts() {
  std::vector<window_counts> windows;
  for (int k = 1; k <= julia_frame_count; k += 8) windows.push_back({julia_window(k), {}});
  for (const test_windows::named_window& window : test_windows::windows_near_the_set(5, 12)) {
    windows.push_back({window.frame, {}});
  }
  for (const test_windows::named_window& window : test_windows::windows_near_the_set(9, 3)) {
    windows.push_back({{window.frame.cx, window.frame.cy, 1e-15f, 400}, {}});
  }
  for (const test_windows::named_window& window : test_windows::windows_on_the_threshold(6)) {
    windows.push_back({window.frame, {}});
  }
  windows.push_back({{0, 0, 1e30f, 8}, {}});  // overflows at once: would trap
  for (window_counts& window : windows) window.counts = test_windows::plain_counts(window.frame);
  return windows;
}

void PrintTo(const environment& e, std::ostream* out) {
  *out << e.name;
}

class CountsInAnyEnvironment : public testing::TestWithParam<environment> {};

TEST_P(CountsInAnyEnvironment, EqualTheCountsOfTheDefaultEnvironment) {
  const std::vector<window_counts> windows = windows_with_expected_counts();
  std::vector<julia_frame> default_frames;
  for (int k = 1; k <= julia_frame_count; ++k) default_frames.push_back(julia_window(k));

  std::fenv_t default_environment;
  std::fegetenv(&default_environment);
  GetParam().set();
  const settings callers = current_settings();
  grid_workers::shared();  // its helper threads start with the caller's settings

  std::vector<std::vector<float>> counts;
  std::vector<float> X(julia_grid_side), Y(julia_grid_side);
  for (const window_counts& window : windows) {
    counts.emplace_back(julia_grid_side * julia_grid_side);
    julia_grid(window.frame, X, Y, counts.back());
  }
  // Views whose starts are not floats, deep enough that the extended loop
  // computes most points, on whichever thread takes the row.
  const julia_view views[] = {{-1, 1, 1e-17L, 1e-17L, 413, 150, 120},
                              {0, -1, 2e-13L, 1e-13L, 330, 30, 40},
                              {1.3L, -0.625L, 0.01L, 0.01L, 60, 25, 25}};
  std::vector<std::vector<float>> view_counts;
  for (const julia_view& view : views) {
    // Each view a few times, so that a helper that wakes late still gets rows.
    for (int run = 0; run < 4; ++run) {
      view_counts.emplace_back(view.columns * view.rows);
      julia_counts(view.cx, view.cy, view.ray_x, view.ray_y, view.limit, view.columns, view.rows,
                   view_counts.back());
    }
  }
  std::vector<julia_frame> frames;
  for (int k = 1; k <= julia_frame_count; ++k) frames.push_back(julia_window(k));
  const settings after = current_settings();

  // The same plain evaluation, left to the caller's environment.
  std::size_t plain_differing = 0;
  if (GetParam().changes_the_plain_evaluation) {
    for (const window_counts& window : windows) {
      plain_differing +=
          test_windows::differing_cells(test_windows::plain_counts(window.frame), window.counts);
    }
  }
  std::fesetenv(&default_environment);

  EXPECT_TRUE(after == callers) << "x87 control " << std::hex << callers.x87_control << " became "
                                << after.x87_control << ", MXCSR " << callers.sse_control
                                << " became " << after.sse_control;
  for (std::size_t i = 0; i < windows.size(); ++i) {
    EXPECT_EQ(test_windows::differing_cells(counts[i], windows[i].counts), 0u)
        << "window " << i << " (ray " << windows[i].frame.ray << ")";
  }
  for (std::size_t i = 0; i < std::size(views); ++i) {
    std::vector<float> expected(views[i].columns * views[i].rows);
    julia_counts(views[i].cx, views[i].cy, views[i].ray_x, views[i].ray_y, views[i].limit,
                 views[i].columns, views[i].rows, expected);
    for (int run = 0; run < 4; ++run) {
      EXPECT_EQ(test_windows::differing_cells(view_counts[4 * i + run], expected), 0u)
          << "view " << i;
    }
  }
  for (int k = 1; k <= julia_frame_count; ++k) {
    const julia_frame& a = frames[k - 1];
    const julia_frame& b = default_frames[k - 1];
    EXPECT_TRUE(a.cx == b.cx && a.cy == b.cy && a.ray == b.ray && a.limit == b.limit)
        << "frame " << k;
  }
  // Shows that these windows would notice the environment.
  if (GetParam().changes_the_plain_evaluation) {
    EXPECT_GT(plain_differing, 0u);
  }
}

INSTANTIATE_TEST_SUITE_P(JuliaGrid, CountsInAnyEnvironment, testing::ValuesIn(environments),
                         [](const testing::TestParamInfo<environment>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
}  // namespace mapplot
