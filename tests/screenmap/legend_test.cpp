#include "screenmap/legend.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <mapplot/screen_map.hpp>
#include <vector>

#include "recording_fixture.hpp"

namespace mapplot {
namespace {

using testing::reals_of;
using testing::ScreenMapTest;

TEST(DigitCount, FromSpreadRelativeToSize) {
  EXPECT_EQ(digit_count(0, 1), 3);               // r/m = 1 gives 2, raised to 3
  EXPECT_EQ(digit_count(100, 100.5), 5);         // r/m ~ 0.004975
  EXPECT_EQ(digit_count(1, 1 + 1e-20), 3);       // rounds to equal: r = 0
  EXPECT_EQ(digit_count(1e20, 1e20 + 1e5), 16);  // r/m = 1e-15 gives 17, cut to 16
  EXPECT_EQ(digit_count(-2, 40), 3);
}

TEST(DigitCount, DegenerateSpreadsNeverReachTheIntegerConversion) {
  constexpr double inf = std::numeric_limits<double>::infinity();
  constexpr double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(digit_count(0, 0), 3);     // 0/0
  EXPECT_EQ(digit_count(5, 5), 3);     // r = 0
  EXPECT_EQ(digit_count(-inf, 1), 3);  // inf/inf
  EXPECT_EQ(digit_count(nan, 1), 3);
  EXPECT_EQ(digit_count(-1e308, 1e308), 3);                                 // r overflows
  EXPECT_EQ(digit_count(0, std::numeric_limits<double>::denorm_min()), 3);  // r/m = 1
  EXPECT_EQ(digit_count(1e-300, 1e-300 + 1e-316), 16);
}

// The field's own rounding rules are tested with the formatter; the legend
// shows the field without its surrounding blanks.
TEST(LegendNumber, IsTheGeneralisedFieldWithoutBlanks) {
  EXPECT_EQ(legend_number(12.5, 3), "12.5");
  EXPECT_EQ(legend_number(-0.001, 3), "-.100E-02");
  EXPECT_EQ(legend_number(100.5, 5), "100.50");
}

class LegendTest : public ScreenMapTest {
 protected:
  // Draws a 2 x 2 map in an own window (580 x 270) and returns the legend lines.
  std::vector<std::string> legend_lines(std::vector<double> x, std::vector<double> y,
                                        std::vector<double> z, screen_options options = {}) {
    options.ownwindow = true;
    screen_map(x, y, z, options);
    return drawn_texts();
  }
};

TEST_F(LegendTest, NineLinesOfThreeGroups) {
  const auto lines = legend_lines({-1, 1}, {100, 100.5}, {-2, 0, 10, 40},
                                  {.xlabel = "Re(z)", .ylabel = "Im(z)", .title = "Julia set"});
  const std::vector<std::string> expected{"Re(z)",     "   min = -1.00",  "   max = 1.00",
                                          "Im(z)",     "   min = 100.00", "   max = 100.50",
                                          "Julia set", "   min = -2.00",  "   max = 40.0"};
  EXPECT_EQ(lines, expected);
}

TEST_F(LegendTest, ValuesFromZeroTo255AndBlankLabels) {
  const auto lines = legend_lines({0, 1}, {0, 1}, {0, 255, 0, 255}, {.xlabel = "   "});
  ASSERT_EQ(lines.size(), 9u);
  EXPECT_EQ(lines[0], "");  // an all-blank label still takes its line
  EXPECT_EQ(lines[7], "   min = 0.00");
  EXPECT_EQ(lines[8], "   max = 255.");
}

// The x digits come from the spread up to the world window's right edge, not
// up to the largest x: 1 .. 1.001 reaches 1.0022 in the 580 x 270 layout, a
// spread of 0.0022 (5 digits) where 0.001 would give 6.
TEST_F(LegendTest, NarrowXRangeTakesItsDigitsFromTheWorldWindow) {
  const auto lines = legend_lines({1, 1.001}, {0, 1}, {0, 1, 2, 3});
  ASSERT_EQ(lines.size(), 9u);
  EXPECT_EQ(lines[1], "   min = 1.0000");
  EXPECT_EQ(lines[2], "   max = 1.0010");
}

TEST_F(LegendTest, LinesStepDownFromTheTopWithGapsBetweenGroups) {
  const std::vector<double> x{-1, 1}, y{0, 2};
  legend_lines(x, y, {0, 1, 2, 3});
  const double wx2 = -1 + 2.0 * 573 / 263;
  const double dx = (wx2 - -1) / 573;
  const double s = 20 * (2.0 / 263);
  const double xl = -1 + (wx2 - -1) * 270 / 580 + 20 * dx;
  const auto moves = calls_of("move_to_world");
  ASSERT_EQ(moves.size(), 9u);
  const int offsets[] = {1, 2, 3, 5, 6, 7, 9, 10, 11};
  for (std::size_t line = 0; line < 9; ++line) {
    const auto position = reals_of(moves[line]);
    EXPECT_DOUBLE_EQ(position[0], xl) << line;
    EXPECT_NEAR(position[1], 2 - offsets[line] * s, 1e-12) << line;
  }
  EXPECT_EQ(calls_of("set_font"), std::vector<std::string>{"set_font \"t'modern'h14w9\""});
}

TEST_F(LegendTest, LogarithmicTitleInWindowAndLegend) {
  const auto lines = legend_lines({0, 1}, {0, 1}, {1, 10, 100, 1000}, {.logscale = true});
  EXPECT_EQ(lines[6], "log(Representation of z=z(x,y))");
  EXPECT_EQ(lines[7], "   min = 0.00");
  EXPECT_EQ(lines[8], "   max = 3.00");
  EXPECT_NE(windows.calls.front().find("\"log(Representation of z=z(x,y))\""), std::string::npos);
}

TEST_F(LegendTest, EscapesAreRemovedFromTheShownTexts) {
  const auto lines =
      legend_lines({0, 1}, {0, 1}, {0, 1, 2, 3}, {.xlabel = "Re(z) \\u2", .title = "a\\u2\\d3"});
  EXPECT_EQ(lines[0], "Re(z)2");
  EXPECT_EQ(lines[6], "a23");
}

}  // namespace
}  // namespace mapplot
