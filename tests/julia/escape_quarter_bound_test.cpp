// Built with the escape counts' bound cut to a quarter (see CMakeLists.txt):
// on the starts that need the whole bound, the double-precision path now
// certifies wrong counts, which the identity check against the plain
// evaluation must see.
#include <gtest/gtest.h>

#include <span>

#include "escape_windows.hpp"
#include "julia/escape_counts.hpp"

namespace mapplot {
namespace {

TEST(EscapeQuarterBound, TheIdentityCheckCatchesABoundCutToAQuarter) {
  static_assert(MAPPLOT_ESCAPE_BOUND_SCALE == 0.25, "this test needs the cut bound");
  for (escape_path path : {escape_path::avx2, escape_path::avx512}) {
    if (!escape_path_supported(path)) continue;
    std::size_t differing = 0;
    for (const test_windows::hard_start& start : test_windows::starts_that_need_the_whole_bound()) {
      float count = -99;
      escape_counts_of_row(std::span(&start.re, 1), start.im, start.limit + 1, std::span(&count, 1),
                           path);
      differing += count != test_windows::plain_count(start.re, start.im, start.limit);
    }
    EXPECT_GT(differing, 0u) << "path " << static_cast<int>(path);
  }
}

}  // namespace
}  // namespace mapplot
