#include "julia_zoom/julia_explorer.hpp"

#include <gtest/gtest.h>

#include "julia/julia_view.hpp"

namespace mapplot {
namespace {

// The explorer's console line: the centre to long double's digits, the
// fallback share in per cent.
TEST(JuliaExplorer, AViewsConsoleLineGivesItsCentreWidthLimitAndFallbackInPerCent) {
  const julia_view view{1.5L, -0.1L, 1e-10L, 1e-10L, 250, 265, 265};
  EXPECT_EQ(explorer_view_line(view, 0.25),
            "view centre 1.5 -0.100000000000000000001  half-width 1.000000e-10  limit 250  "
            "fallback 25.00 %\n");
}

}  // namespace
}  // namespace mapplot
