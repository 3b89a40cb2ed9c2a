#include <gtest/gtest.h>

#include "textout/console_capture.hpp"
#include "textout/write_console.hpp"

namespace mapplot {
namespace {

TEST(Console, StatementsWrapAtTheConsolesOwnWidth) {
  console_capture console(20);
  write_console({std::string_view(" Output in "), std::string_view("a-rather-long-name.dat")});
  EXPECT_EQ(console.lines,
            (std::vector<std::string>{"  Output in ", " a-rather-long-name.", " dat"}));
}

TEST(Console, ACaptureGivesBackTheConsoleItReplaced) {
  console_capture outer;
  {
    console_capture inner;
    write_console({std::string_view("inner")});
    EXPECT_EQ(inner.lines, std::vector<std::string>{" inner"});
  }
  write_console({std::string_view("outer")});
  EXPECT_EQ(outer.lines, std::vector<std::string>{" outer"});
}

}  // namespace
}  // namespace mapplot
