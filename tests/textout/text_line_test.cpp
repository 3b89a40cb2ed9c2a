#include "textout/text_line.hpp"

#include <gtest/gtest.h>

#include <string>

namespace mapplot {
namespace {

// A line as written: one blank, then the text. Built by appending, as GCC 12
// at -O3 flags a concatenation that inserts in front.
std::string blank_then(std::string_view text) {
  std::string line(1, ' ');
  line.append(text);
  return line;
}

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

// Items that exactly fill the 80 columns stay on one line; one more
// character starts a new one.
TEST(TextLine, ItemsThatExactlyFillTheLineStayOnIt) {
  const auto five = std::string_view("abcd");
  const lines filled = assemble_lines({five, 1.5f, 1.5f, 1.5f, 1.5f, 1.5f}, file_line_width);
  ASSERT_EQ(filled.size(), 1u);
  EXPECT_EQ(filled[0].size(), 80u);
  EXPECT_EQ(
      assemble_lines({std::string_view("abcde"), 1.5f, 1.5f, 1.5f, 1.5f, 1.5f}, file_line_width)
          .size(),
      2u);
  const lines integers = assemble_lines(
      {std::string_view("abcdefg"), std::int32_t{1}, std::int32_t{2}, std::int32_t{3},
       std::int32_t{4}, std::int32_t{5}, std::int32_t{-2147483647 - 1}},
      file_line_width);
  EXPECT_EQ(integers, lines{" abcdefg           1           2           3           4"
                            "           5 -2147483648"});
}

// A four-byte character (U+1D11E) that would straddle the cut of a long text
// goes whole to the next piece, whichever of its bytes the cut falls after;
// one that ends at the cut stays.
TEST(TextLine, AFourByteCharacterIsNeverCutInTwo) {
  const std::string clef = "\xF0\x9D\x84\x9E";
  for (std::size_t before = 76; before <= 78; ++before) {
    const std::string text = std::string(before, 'a') + clef + "b";
    EXPECT_EQ(assemble_lines({std::string_view(text)}, file_line_width),
              (lines{blank_then(std::string(before, 'a')), blank_then(clef + "b")}))
        << before;
  }
  const std::string ends_at_cut = std::string(75, 'a') + clef + "b";
  EXPECT_EQ(assemble_lines({std::string_view(ends_at_cut)}, file_line_width),
            (lines{blank_then(std::string(75, 'a') + clef), " b"}));
  // Bytes that are no UTF-8 are cut where they fall, and a piece too narrow
  // for one character still moves on.
  const std::string stray = std::string(75, 'a') + "\x84\x84\x84\x84\x84" + "b";
  EXPECT_EQ(assemble_lines({std::string_view(stray)}, file_line_width),
            (lines{blank_then(stray.substr(0, 79)), blank_then(stray.substr(79))}));
  EXPECT_EQ(assemble_lines({std::string_view(clef)}, 3), (lines{" \xF0\x9D", " \x84\x9E"}));
}

TEST(TextLine, AnEmptyStatementWritesOneEmptyLine) {
  EXPECT_EQ(assemble_lines({}, 80), lines{""});
}

}  // namespace
}  // namespace mapplot
