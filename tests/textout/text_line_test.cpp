#include "textout/text_line.hpp"

#include <gtest/gtest.h>

#include <string>

namespace mapplot {
namespace {

using lines = std::vector<std::string>;

TEST(TextLine, ItemsFollowWithoutSeparators) {
  EXPECT_EQ(assemble_lines({std::int32_t{1}, std::string_view(" Ray = "), 1.9f}, 80),
            lines{"           1 Ray =    1.900000    "});
  EXPECT_EQ(assemble_lines({std::int32_t{2}, std::int32_t{3}, std::int32_t{1}}, 80),
            lines{"           2           3           1"});
}

TEST(TextLine, ALeadingTextGetsOneBlank) {
  EXPECT_EQ(assemble_lines({std::string_view("x")}, 80), lines{" x"});
  EXPECT_EQ(assemble_lines({std::string_view("")}, 80), lines{" "});
  EXPECT_EQ(assemble_lines({std::string_view(" Output in "), std::string_view("Map.dat")}, 80),
            lines{"  Output in Map.dat"});
}

TEST(TextLine, LongTextsAreCutIntoPiecesOfOneLessThanTheWidth) {
  const std::string label(80, 'a');
  EXPECT_EQ(assemble_lines({std::string_view(label)}, 80),
            (lines{" " + std::string(79, 'a'), " a"}));
  const std::string exact(79, 'b');
  EXPECT_EQ(assemble_lines({std::string_view(exact)}, 80), lines{" " + exact});
  const std::string long_text(200, 'c');
  EXPECT_EQ(
      assemble_lines({std::string_view(long_text)}, 80),
      (lines{" " + std::string(79, 'c'), " " + std::string(79, 'c'), " " + std::string(42, 'c')}));
}

TEST(TextLine, ATextThatDoesNotFitEndsTheLineInProgress) {
  const std::string name(70, 'n');
  EXPECT_EQ(assemble_lines({std::string_view(" Output in "), std::string_view(name)}, 80),
            (lines{"  Output in ", " " + name}));
}

TEST(TextLine, ANumberThatDoesNotFitStartsANewLine) {
  EXPECT_EQ(assemble_lines({std::int32_t{1}, std::int32_t{2}, std::int32_t{3}}, 30),
            (lines{"           1           2", "           3"}));
}

TEST(TextLine, AnEmptyStatementWritesOneEmptyLine) {
  EXPECT_EQ(assemble_lines({}, 80), lines{""});
}

}  // namespace
}  // namespace mapplot
