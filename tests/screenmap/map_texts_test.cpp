#include "screenmap/map_texts.hpp"

#include <gtest/gtest.h>

#include <string>

#include "screenmap/map_layout.hpp"

namespace mapplot {
namespace {

std::string shown(std::string_view text) {
  return std::string(remove_escapes(make_text_field(text)).trimmed());
}

TEST(EscapeRemoval, MarksGoWithTheBlanksBesideThem) {
  EXPECT_EQ(shown("Re(z) \\u2"), "Re(z)2");
  EXPECT_EQ(shown("a\\u2\\d3"), "a23");
  EXPECT_EQ(shown("\\d\\u"), "");
  EXPECT_EQ(shown("x \\u 2 \\d i"), "x2i");
}

TEST(EscapeRemoval, OtherBackslashSequencesStay) {
  EXPECT_EQ(shown("\\alpha \\U \\D"), "\\alpha \\U \\D");
}

TEST(EscapeRemoval, SuperscriptsGoBeforeAnySubscriptIsLookedFor) {
  // "\d\uu" loses its "\u" first, leaving "\du", whose "\d" then goes.
  EXPECT_EQ(shown("\\d\\uu"), "u");
}

TEST(EscapeRemoval, ResultStaysAnEightyCharacterField) {
  const std::string full = "x \\u" + std::string(76, 'b');
  ASSERT_EQ(full.size(), 80u);
  EXPECT_EQ(remove_escapes(make_text_field(full)).whole(), "x" + std::string(76, 'b') + "   ");
}

TEST(PreparedTexts, DefaultsAndTrimming) {
  const map_texts texts = prepare_map_texts({.xlabel = "  Re(z)  ", .ylabel = ""});
  EXPECT_EQ(texts.xlabel.whole(), "Re(z)" + std::string(75, ' '));
  EXPECT_EQ(texts.ylabel.whole(), std::string(80, ' '));
  EXPECT_EQ(texts.title.trimmed(), "Representation of z=z(x,y)");
}

TEST(PreparedTexts, LogarithmicTitleWrapsTheTrimmedTitle) {
  EXPECT_EQ(prepare_map_texts({.logscale = true}).title.trimmed(),
            "log(Representation of z=z(x,y))");
  EXPECT_EQ(prepare_map_texts({.logscale = true, .title = " T\\d0 "}).title.trimmed(), "log(T0)");
  EXPECT_EQ(prepare_map_texts({.logscale = false, .title = "T"}).title.trimmed(), "T");
}

TEST(MapLayout, WindowSizes) {
  auto size = [](int winsize, bool ownwindow) {
    const map_layout layout = choose_map_layout(winsize, ownwindow);
    return std::to_string(layout.width) + "x" + std::to_string(layout.height);
  };
  EXPECT_EQ(size(5, false), "1005x662");
  EXPECT_EQ(size(3, true), "1005x662");
  EXPECT_EQ(size(2, true), "741x451");
  EXPECT_EQ(size(2, false), "741x451");
  EXPECT_EQ(size(1, true), "580x270");
  EXPECT_EQ(size(1, false), "580x290");
  EXPECT_EQ(size(0, false), "580x290");
  EXPECT_EQ(size(-3, false), "580x290");
  EXPECT_EQ(size(-3, true), "580x270");
}

}  // namespace
}  // namespace mapplot
