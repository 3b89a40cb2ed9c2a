#include "request/text_field.hpp"

#include <gtest/gtest.h>

#include <mapplot/map_request.hpp>
#include <string>

namespace mapplot {
namespace {

std::string padded(std::string text) {
  text.resize(text_field_length, ' ');
  return text;
}

TEST(TextField, CutsAndPadsToEightyCharacters) {
  EXPECT_EQ(make_text_field("Re(z)").whole(), padded("Re(z)"));
  const std::string long_text(100, 'q');
  EXPECT_EQ(make_text_field(long_text).whole(), std::string(80, 'q'));
  EXPECT_EQ(make_text_field("").whole(), std::string(80, ' '));
}

TEST(TextField, OnlyTheBlankCountsAsBlank) {
  EXPECT_EQ(strip_blanks("  a b  "), "a b");
  EXPECT_EQ(strip_blanks("\tTab\t"), "\tTab\t");
  EXPECT_EQ(strip_blanks("    "), "");
  EXPECT_EQ(make_text_field("  x  ").trimmed(), "x");
  EXPECT_EQ(make_text_field("  x  ").without_trailing_blanks(), "  x");
}

TEST(TextField, AbsentTakesTheDefaultAndAGivenTextNeverFallsBack) {
  EXPECT_EQ(resolve_trimmed(std::nullopt, default_ylabel).whole(), padded("y"));
  EXPECT_EQ(resolve_trimmed("", default_ylabel).whole(), padded(""));
  EXPECT_EQ(resolve_trimmed("   ", default_xlabel).whole(), padded(""));
  EXPECT_EQ(resolve_verbatim(std::nullopt, default_title).whole(),
            padded("Representation of z=z(x,y)"));
}

TEST(TextField, EachResolutionRemovesItsOwnBlanks) {
  EXPECT_EQ(resolve_trimmed("   depth  ", "x").whole(), padded("depth"));
  EXPECT_EQ(resolve_left_trimmed("   Re(z)", "x").whole(), padded("Re(z)"));
  EXPECT_EQ(resolve_verbatim("  title", "t").whole(), padded("  title"));
  // Leading blanks are removed before the text is cut to the field.
  const std::string long_title = "   " + std::string(80, 't') + "cut";
  EXPECT_EQ(resolve_left_trimmed(long_title, "t").whole(), std::string(80, 't'));
}

TEST(LogarithmicTitle, WrapsTheTrimmedTitle) {
  EXPECT_EQ(logarithmic_title(make_text_field(default_title)).whole(),
            padded("log(Representation of z=z(x,y))"));
  EXPECT_EQ(logarithmic_title(make_text_field("   lead")).whole(), padded("log(lead)"));
  EXPECT_EQ(logarithmic_title(make_text_field("")).whole(), padded("log()"));
}

TEST(LogarithmicTitle, LongTitlesLoseTheClosingParenthesis) {
  const std::string fits(75, 'a');
  EXPECT_EQ(logarithmic_title(make_text_field(fits)).whole(), "log(" + fits + ")");
  const std::string too_long(76, 'b');
  EXPECT_EQ(logarithmic_title(make_text_field(too_long)).whole(), "log(" + too_long);
  EXPECT_EQ(logarithmic_title(make_text_field(std::string(80, 'c'))).whole(),
            "log(" + std::string(76, 'c'));
}

}  // namespace
}  // namespace mapplot
