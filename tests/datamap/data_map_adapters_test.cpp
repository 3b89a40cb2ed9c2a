#include <mapplot/data_map.hpp>
#include <string>
#include <vector>

#include "data_file_fixture.hpp"

namespace mapplot {
namespace {

using testing::read_whole_file;
using testing::split_crlf_lines;
using lines = std::vector<std::string>;

class DataMapAdapters : public testing::data_file_test {
 protected:
  // The value lines of the file written last (after header, x and y lines).
  lines value_lines(std::size_t nx, std::size_t ny) const {
    auto written = split_crlf_lines(read_whole_file("Map.dat"));
    return {written.begin() + static_cast<std::ptrdiff_t>(1 + nx + ny), written.end() - 3};
  }
};

TEST_F(DataMapAdapters, OnlyDoubleFlatDataHasTheCurveTitle) {
  const std::vector<double> xd{1, 2}, yd{3}, zd{4, 5};
  const std::vector<float> xf{1, 2}, yf{3}, zf{4, 5};
  data_map(xd, yd, zd);
  EXPECT_EQ(split_crlf_lines(read_whole_file("Map.dat")).back(), " Representation of y=y(x)");
  data_map(xf, yf, grid_view<float>{zf.data(), 2, 1});
  EXPECT_EQ(split_crlf_lines(read_whole_file("Map.dat")).back(), " Representation of z=z(x,y)");
  data_map(xd, yd, grid_view<double>{zd.data(), 2, 1});
  EXPECT_EQ(split_crlf_lines(read_whole_file("Map.dat")).back(), " Representation of z=z(x,y)");
}

TEST_F(DataMapAdapters, GridsAreWrittenFirstIndexFastest) {
  // z(p, q) = 10 p + q, stored with p fastest.
  const std::vector<float> grid{11, 21, 31, 12, 22, 32};
  const std::vector<double> grid_double(grid.begin(), grid.end());
  const lines expected{"   11.00000    ", "   21.00000    ", "   31.00000    ",
                       "   12.00000    ", "   22.00000    ", "   32.00000    "};
  const std::vector<float> xf{1, 2, 3}, yf{1, 2};
  const std::vector<double> xd{1, 2, 3}, yd{1, 2};

  data_map(xf, yf, grid_view<float>{grid.data(), 3, 2});
  EXPECT_EQ(value_lines(3, 2), expected);
  data_map(xd, yd, grid_view<double>{grid_double.data(), 3, 2});
  EXPECT_EQ(value_lines(3, 2), expected);
  EXPECT_EQ(console_.lines, (lines{"  Output in Map.dat", "  Output in Map.dat"}));

  // A 2 by 3 grid has as many values: no warning, its own storage order.
  console_.lines.clear();
  data_map(xf, yf, grid_view<float>{grid.data(), 2, 3});
  EXPECT_EQ(value_lines(3, 2), expected);
  EXPECT_EQ(console_.lines, lines{"  Output in Map.dat"});

  // A grid of the wrong size is written whole after the warning.
  console_.lines.clear();
  data_map(xd, yd, grid_view<double>{grid_double.data(), 5, 1});
  EXPECT_EQ(value_lines(3, 2), (lines(expected.begin(), expected.begin() + 5)));
  EXPECT_EQ(console_.lines.front(), "  Warning: incompatible array sizes !!!");
}

TEST_F(DataMapAdapters, DoublesAreRoundedToSinglePrecision) {
  data_map(std::vector<double>{0.1}, std::vector<double>{1.0 / 3.0},
           std::vector<double>{0.1, 123456789.0, 1e300});
  EXPECT_EQ(split_crlf_lines(read_whole_file("Map.dat")),
            (lines{"           1           1           1", "  0.1000000    ", "  0.3333333    ",
                   "  0.1000000    ", "  1.2345679E+08", "       Infinity", " x", " y",
                   " Representation of y=y(x)"}));
}

// Every adapter writes what the core writes for the converted data, with every
// option passed through: labels, title, logscale and a long file name.
TEST_F(DataMapAdapters, WriteWhatTheCoreWritesForConvertedData) {
  const std::string name = "  " + std::string(100, 'f') + ".dat ";
  const data_options options{.logscale = true,
                             .xlabel = "  Re(z)",
                             .ylabel = std::string_view("Im(z)   "),
                             .title = "  Julia set  ",
                             .filename = name};
  const std::vector<double> xd{0.1, 0.2}, yd{0.3, 0.4}, zd{0.5, 2.0, 0.0, -1.0};
  const std::vector<float> xf{0.1f, 0.2f}, yf{0.3f, 0.4f}, zf{0.5f, 2.0f, 0.0f, -1.0f};
  const std::string stripped_name = std::string(100, 'f') + ".dat";

  data_map(xf, yf, zf, options);
  const std::string from_core = read_whole_file(stripped_name);
  const auto core_console = console_.lines;

  auto adapter_writes = [&](auto call) {
    std::filesystem::remove(stripped_name);
    console_.lines.clear();
    call();
    EXPECT_EQ(read_whole_file(stripped_name), from_core);
    EXPECT_EQ(console_.lines, core_console);
  };
  adapter_writes([&] { data_map(xd, yd, zd, options); });
  adapter_writes([&] { data_map(xf, yf, grid_view<float>{zf.data(), 2, 2}, options); });
  adapter_writes([&] { data_map(xd, yd, grid_view<double>{zd.data(), 2, 2}, options); });
}

TEST_F(DataMapAdapters, LeaveTheCallersArraysUnchanged) {
  std::vector<double> xd{0.1, 0.2}, yd{0.3}, zd{0.0, -2.5};
  std::vector<float> xf{0.1f, 0.2f}, yf{0.3f}, zf{0.0f, -2.5f};
  const auto xd0 = xd, yd0 = yd, zd0 = zd;
  const auto xf0 = xf, yf0 = yf, zf0 = zf;
  data_map(xd, yd, zd, {.logscale = true});
  data_map(xf, yf, grid_view<float>{zf.data(), 2, 1}, {.logscale = true});
  data_map(xd, yd, grid_view<double>{zd.data(), 2, 1}, {.logscale = true});
  EXPECT_EQ(xd, xd0);
  EXPECT_EQ(yd, yd0);
  EXPECT_EQ(zd, zd0);
  EXPECT_EQ(xf, xf0);
  EXPECT_EQ(yf, yf0);
  EXPECT_EQ(zf, zf0);
}

TEST_F(DataMapAdapters, AGridWithoutDataWritesNoValues) {
  data_map(std::vector<float>{1}, std::vector<float>{1}, grid_view<float>{nullptr, 1, 1});
  EXPECT_TRUE(value_lines(1, 1).empty());
  EXPECT_EQ(console_.lines.front(), "  Warning: incompatible array sizes !!!");
}

}  // namespace
}  // namespace mapplot
