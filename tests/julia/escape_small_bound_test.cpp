// Built with the escape counts' bound cut to a sixteenth (see CMakeLists.txt):
// the identity check that passes with the real bound must now find cells
// where the double-precision path certified a wrong count.
#include <gtest/gtest.h>

#include <vector>

#include "escape_windows.hpp"
#include "julia/escape_counts.hpp"

namespace mapplot {
namespace {

TEST(EscapeSmallBound, TheIdentityCheckCatchesABoundCutToASixteenth) {
  static_assert(MAPPLOT_ESCAPE_BOUND_SCALE < 1, "this test needs the cut bound");
  const std::vector<test_windows::named_window> windows =
      test_windows::windows_on_the_threshold(40);
  for (escape_path path : {escape_path::avx2, escape_path::avx512}) {
    if (!escape_path_supported(path)) continue;
    std::size_t differing = 0;
    for (const test_windows::named_window& window : windows) {
      differing +=
          test_windows::differing_cells(test_windows::counts_through(path, window.frame).grid,
                                        test_windows::plain_counts(window.frame));
    }
    EXPECT_GT(differing, 0u) << "path " << static_cast<int>(path);
  }
}

}  // namespace
}  // namespace mapplot
