#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <mapplot/julia_zoom.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "textout/integer_field.hpp"
#include "textout/real_field.hpp"

namespace mapplot {
namespace {

const std::string golden_path = MAPPLOT_SOURCE_DIR "/tests/julia_zoom/julia_console.txt";

std::vector<std::string> golden_lines() {
  std::ifstream file(golden_path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  std::vector<std::string> lines;
  std::string contents = text.str();
  std::size_t start = 0;
  for (std::size_t end; (end = contents.find('\n', start)) != std::string::npos; start = end + 1) {
    lines.push_back(contents.substr(start, end - start));
  }
  if (start != contents.size()) lines.push_back(contents.substr(start) + "<no line end>");
  return lines;
}

// The frame line from the library's own power function rather than the
// driver's repeated squaring: 2 * 0.95f^k rounded once to single precision.
std::string independent_line(int k) {
  const float ray = static_cast<float>(2 * std::pow(static_cast<long double>(0.95f), k));
  return integer_field(k) + " Ray = " + real_field(ray);
}

TEST(JuliaConsole, GoldenFileHoldsOneLinePerFrameWithTheDocumentedSamples) {
  const std::vector<std::string> lines = golden_lines();
  ASSERT_EQ(lines.size(), 335u) << golden_path;
  for (int k = 1; k <= 335; ++k) {
    EXPECT_EQ(lines[k - 1].size(), 34u) << "frame " << k;
    EXPECT_EQ(lines[k - 1], independent_line(k)) << "frame " << k;
  }
  EXPECT_EQ(lines[0], "           1 Ray =    1.900000    ");
  EXPECT_EQ(lines[1], "           2 Ray =    1.805000    ");
  EXPECT_EQ(lines[57], "          58 Ray =   0.1020937    ");
  EXPECT_EQ(lines[58], "          59 Ray =   9.6988976E-02");
  EXPECT_EQ(lines[99], "         100 Ray =   1.1841044E-02");
  EXPECT_EQ(lines[334], "         335 Ray =   6.8934391E-08");
}

}  // namespace
}  // namespace mapplot
