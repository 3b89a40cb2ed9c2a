#include <gtest/gtest.h>

#include <string>

#include "request/complete_options.hpp"

namespace mapplot {
namespace {

TEST(CompleteOptions, AbsentOptionsTakeTheFamilyDefaultsAndGivenOnesPassUnchanged) {
  const screen_options screen = complete_options(screen_options{});
  EXPECT_EQ(screen.logscale, false);
  EXPECT_EQ(screen.xlabel, "x");
  EXPECT_EQ(screen.ylabel, "y");
  EXPECT_EQ(screen.title, "Representation of z=z(x,y)");
  EXPECT_EQ(screen.winsize, 1);
  EXPECT_EQ(screen.ownwindow, false);
  EXPECT_EQ(screen.update, false);

  // A given text stays the caller's, blanks and all, even when empty: the core
  // resolves it by its own rules.
  const std::string label = "   Re(z) ";
  const screen_options given =
      complete_options(screen_options{.xlabel = label, .ylabel = "", .winsize = -3});
  EXPECT_EQ(given.xlabel->data(), label.data());
  EXPECT_EQ(given.ylabel, "");
  EXPECT_EQ(given.winsize, -3);

  const postscript_options plot = complete_options(postscript_options{.device = "cps"});
  EXPECT_EQ(plot.filename, "Map.ps");
  EXPECT_EQ(plot.device, "cps");

  EXPECT_EQ(complete_options(data_options{}).filename, "Map.dat");
  EXPECT_EQ(complete_options(data_options{}, "Representation of y=y(x)").title,
            "Representation of y=y(x)");
  EXPECT_EQ(complete_options(data_options{.title = ""}, "Representation of y=y(x)").title, "");
}

}  // namespace
}  // namespace mapplot
