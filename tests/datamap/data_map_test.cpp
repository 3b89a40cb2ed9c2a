#include <sys/stat.h>

#include <filesystem>
#include <mapplot/data_map.hpp>
#include <string>
#include <vector>

#include "data_file_fixture.hpp"
#include "textout/real_field.hpp"

namespace mapplot {
namespace {

using testing::crlf_lines;
using testing::read_whole_file;
using testing::split_crlf_lines;
using testing::write_whole_file;
using lines = std::vector<std::string>;

class DataMap : public testing::data_file_test {
 protected:
  const std::vector<float> x{-1, 1};
  const std::vector<float> y{0, 0.5f, 1};
  const std::vector<float> z{1, 2, 3, 4, 5, 6};

  // The worked example's lines with the given values and text lines.
  static std::string example_file(const lines& values, const lines& texts) {
    lines all{"           2           3           1",
              "  -1.000000    ",
              "   1.000000    ",
              "  0.0000000E+00",
              "  0.5000000    ",
              "   1.000000    "};
    all.insert(all.end(), values.begin(), values.end());
    all.insert(all.end(), texts.begin(), texts.end());
    return crlf_lines(all);
  }

  static inline const lines example_values{"   1.000000    ", "   2.000000    ", "   3.000000    ",
                                           "   4.000000    ", "   5.000000    ", "   6.000000    "};
  static inline const lines default_texts{" x", " y", " Representation of z=z(x,y)"};
};

TEST_F(DataMap, WritesTheWorkedExample) {
  data_map(x, y, z);
  EXPECT_EQ(read_whole_file("Map.dat"), example_file(example_values, default_texts));
  EXPECT_EQ(console_.lines, lines{"  Output in Map.dat"});
  EXPECT_EQ(folder_entries(), lines{"Map.dat"});
}

TEST_F(DataMap, WritesLogarithmsUnderLogscale) {
  data_map(x, y, z, {.logscale = true});
  EXPECT_EQ(read_whole_file("Map.dat"),
            example_file({"  0.0000000E+00", "  0.3010300    ", "  0.4771213    ",
                          "  0.6020600    ", "  0.6989700    ", "  0.7781513    "},
                         {" x", " y", " log(Representation of z=z(x,y))"}));
  EXPECT_EQ(console_.lines, lines{"  Output in Map.dat"});
}

TEST_F(DataMap, LogarithmsOfZeroAndNegativeValuesAreInfinityAndNaN) {
  const std::vector<float> values{0.0f, -3.0f, 100.0f};
  data_map(std::vector<float>{1, 2, 3}, std::vector<float>{1}, values, {.logscale = true});
  const auto written = split_crlf_lines(read_whole_file("Map.dat"));
  ASSERT_EQ(written.size(), 11u);
  EXPECT_EQ(written[5], "      -Infinity");
  EXPECT_EQ(written[6], "            NaN");
  EXPECT_EQ(written[7], "   2.000000    ");
}

TEST_F(DataMap, ExplicitFalseLogscaleWritesTheValues) {
  data_map(x, y, z, {.logscale = false});
  EXPECT_EQ(read_whole_file("Map.dat"), example_file(example_values, default_texts));
}

TEST_F(DataMap, OverwritesAnEarlierFileCompletely) {
  write_whole_file("Map.dat", std::string(10000, '#'));
  data_map(x, y, z);
  EXPECT_EQ(read_whole_file("Map.dat"), example_file(example_values, default_texts));
}

TEST_F(DataMap, OverwritingKeepsTheEarlierFilesPermissions) {
  write_whole_file("Map.dat", "earlier");
  ASSERT_EQ(::chmod("Map.dat", 0640), 0);
  data_map(x, y, z);
  struct stat status;
  ASSERT_EQ(::stat("Map.dat", &status), 0);
  EXPECT_EQ(status.st_mode & 07777, 0640u);
}

TEST_F(DataMap, WritesThroughASymbolicLinkAndKeepsIt) {
  write_whole_file("real.dat", "earlier");
  std::filesystem::create_symlink("real.dat", "Map.dat");
  data_map(x, y, z);
  EXPECT_TRUE(std::filesystem::is_symlink("Map.dat"));
  EXPECT_EQ(read_whole_file("real.dat"), example_file(example_values, default_texts));
}

TEST_F(DataMap, MismatchedSizesWarnAndWriteEverything) {
  const std::vector<float> five{1, 2, 3, 4, 5};
  data_map(x, y, five);
  EXPECT_EQ(console_.lines,
            (lines{"  Warning: incompatible array sizes !!!", "  Output in Map.dat"}));
  const auto written = split_crlf_lines(read_whole_file("Map.dat"));
  ASSERT_EQ(written.size(), 1 + 2 + 3 + 5 + 3u);
  EXPECT_EQ(written[0], "           2           3           1");
  EXPECT_EQ(written[10], "   5.000000    ");
  EXPECT_EQ(written[11], " x");
}

TEST_F(DataMap, EmptyArrays) {
  data_map(std::vector<float>{}, y, z);
  EXPECT_EQ(read_whole_file("Map.dat"),
            crlf_lines({"           0           3           1", "  0.0000000E+00",
                        "  0.5000000    ", "   1.000000    ", "   1.000000    ", "   2.000000    ",
                        "   3.000000    ", "   4.000000    ", "   5.000000    ", "   6.000000    ",
                        " x", " y", " Representation of z=z(x,y)"}));
  EXPECT_EQ(console_.lines.front(), "  Warning: incompatible array sizes !!!");

  console_.lines.clear();
  data_map(std::vector<float>{}, y, std::vector<float>{}, {.logscale = true});
  EXPECT_EQ(
      read_whole_file("Map.dat"),
      crlf_lines({"           0           3           1", "  0.0000000E+00", "  0.5000000    ",
                  "   1.000000    ", " x", " y", " log(Representation of z=z(x,y))"}));
  EXPECT_EQ(console_.lines, lines{"  Output in Map.dat"});
}

TEST_F(DataMap, LabelsAreTrimmedAndTitlesKeepTheirLeadingBlanks) {
  data_map(x, y, z, {.xlabel = "   ", .ylabel = "  Im(z) ", .title = "  Julia set\\u2\\d  "});
  EXPECT_EQ(read_whole_file("Map.dat"),
            example_file(example_values, {" ", " Im(z)", "   Julia set\\u2\\d"}));

  data_map(x, y, z, {.logscale = true, .xlabel = "", .title = "  Julia set  "});
  EXPECT_EQ(read_whole_file("Map.dat"),
            example_file({"  0.0000000E+00", "  0.3010300    ", "  0.4771213    ",
                          "  0.6020600    ", "  0.6989700    ", "  0.7781513    "},
                         {" ", " y", " log(Julia set)"}));

  data_map(x, y, z, {.logscale = true, .title = "    "});
  EXPECT_EQ(split_crlf_lines(read_whole_file("Map.dat")).back(), " log()");
}

TEST_F(DataMap, LongTextsAreCutAndWrapped) {
  const std::string eighty(80, 'a');
  data_map(x, y, z, {.xlabel = eighty, .ylabel = std::string(100, 'b')});
  auto written = split_crlf_lines(read_whole_file("Map.dat"));
  ASSERT_EQ(written.size(), 1 + 2 + 3 + 6 + 5u);
  EXPECT_EQ(written[12], std::string(" ") + std::string(79, 'a'));
  EXPECT_EQ(written[13], " a");
  EXPECT_EQ(written[14], std::string(" ") + std::string(79, 'b'));
  EXPECT_EQ(written[15], " b");
  EXPECT_EQ(written[16], " Representation of z=z(x,y)");
  for (const auto& line : written) EXPECT_LE(line.size(), 80u);

  // Under logscale a title of 76 characters or more leaves no room for ")".
  data_map(x, y, z, {.logscale = true, .title = std::string(" ") + std::string(76, 't') + " "});
  written = split_crlf_lines(read_whole_file("Map.dat"));
  ASSERT_EQ(written.size(), 1 + 2 + 3 + 6 + 4u);
  EXPECT_EQ(written[14], " log(" + std::string(75, 't'));
  EXPECT_EQ(written[15], " t");

  data_map(x, y, z, {.logscale = true, .title = std::string(75, 't')});
  written = split_crlf_lines(read_whole_file("Map.dat"));
  EXPECT_EQ(written.back(), " )");
}

TEST_F(DataMap, FileNamesLoseSurroundingBlanksButAreNeverCut) {
  data_map(x, y, z, {.filename = "  blanks.dat   "});
  EXPECT_EQ(read_whole_file("blanks.dat"), example_file(example_values, default_texts));
  EXPECT_EQ(console_.lines, lines{"  Output in blanks.dat"});

  console_.lines.clear();
  const std::string long_name = std::string(120, 'n') + ".dat";
  data_map(x, y, z, {.filename = long_name});
  EXPECT_EQ(read_whole_file(long_name), example_file(example_values, default_texts));
  EXPECT_EQ(console_.lines, (lines{"  Output in ", std::string(" ") + long_name.substr(0, 79),
                                   std::string(" ") + long_name.substr(79)}));
  EXPECT_EQ(folder_entries(), (lines{"blanks.dat", long_name}));
}

// A file name of 68 characters makes "  Output in <name>" exactly 80 columns:
// one line, not two.
TEST_F(DataMap, AnOutputLineThatFillsTheConsoleWidthExactlyStaysOneLine) {
  const std::string name = std::string(64, 'f') + ".dat";
  data_map(x, y, z, {.filename = name});
  ASSERT_EQ(console_.lines, lines{"  Output in " + name});
  EXPECT_EQ(console_.lines[0].size(), 80u);
}

// Control characters would break the file's last three lines apart; a
// UTF-8 character is never cut in two, by the 80-character field or by the
// 79-character pieces of a long line.
TEST_F(DataMap, TextsKeepTheFileStructure) {
  data_map(x, y, z, {.xlabel = "a\r\nb", .ylabel = std::string("c\0d\te\x7f", 7), .title = "t\n"});
  EXPECT_EQ(read_whole_file("Map.dat"), example_file(example_values, {" a  b", " c d e", " t"}));

  const std::string e_acute = "\xc3\xa9";
  data_map(x, y, z,
           {.xlabel = std::string(79, 'a') + e_acute,
            .ylabel = std::string(78, 'b') + e_acute,
            .title = std::string(77, 't') + "\xe2\x82\xac"});
  EXPECT_EQ(read_whole_file("Map.dat"),
            example_file(example_values,
                         {std::string(" ").append(79, 'a'), std::string(" ").append(78, 'b'),
                          " " + e_acute, std::string(" ").append(77, 't'), " \xe2\x82\xac"}));
}

TEST_F(DataMap, LargeInputsCrossTheWriteBufferIntact) {
  std::vector<float> values(20000);
  for (std::size_t i = 0; i < values.size(); ++i) values[i] = static_cast<float>(i) * 0.25f;
  data_map(std::vector<float>(200, 1.0f), std::vector<float>(100, 2.0f), values);
  const auto written = split_crlf_lines(read_whole_file("Map.dat"));
  ASSERT_EQ(written.size(), 1 + 200 + 100 + 20000 + 3u);
  for (std::size_t i = 0; i < values.size(); ++i)
    ASSERT_EQ(written[301 + i], real_field(values[i])) << "value " << i;
  EXPECT_EQ(console_.lines, lines{"  Output in Map.dat"});
}

TEST_F(DataMap, LeavesTheCallersArraysUnchanged) {
  std::vector<float> xs = x, ys = y, zs{0, -1, 2, 3, 4, 5};
  const auto zs_before = zs;
  data_map(xs, ys, zs, {.logscale = true});
  EXPECT_EQ(xs, x);
  EXPECT_EQ(ys, y);
  EXPECT_EQ(zs, zs_before);
}

}  // namespace
}  // namespace mapplot
