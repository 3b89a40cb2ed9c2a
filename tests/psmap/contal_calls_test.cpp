// The PGPLOT calls the PostScript map makes, seen through a recording binding.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <mapplot/console.hpp>
#include <mapplot/postscript_map.hpp>
#include <string>
#include <vector>

#include "recorded_pgplot.hpp"

namespace mapplot {
namespace {

using recorded_pgplot::call;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

std::string padded(std::string text) {
  text.resize(80, ' ');
  return text;
}

class RecordedPlot : public ::testing::Test {
 protected:
  void SetUp() override { recorded_pgplot::reset(); }

  const call& only(const std::string& routine) {
    const call* found = nullptr;
    for (const call& entry : recorded_pgplot::calls()) {
      if (entry.routine != routine) continue;
      EXPECT_EQ(found, nullptr) << routine << " called more than once";
      found = &entry;
    }
    if (found == nullptr) ADD_FAILURE() << routine << " never called";
    static const call none{};
    return found ? *found : none;
  }

  console_capture console{1000};
};

const std::vector<float> x3{1.0f, 2.0f, 3.0f};
const std::vector<float> y2{10.0f, 20.0f};
const std::vector<float> z6{1.0f, 2.0f, 3.0f, 4.0f, 5.0f, 6.0f};

TEST_F(RecordedPlot, DefaultRequestMakesTheDocumentedCallsInOrder) {
  postscript_map(x3, y2, z6);

  EXPECT_THAT(recorded_pgplot::routines(),
              ElementsAre("begin", "scf", "slw", "svp", "wnad", "bbuf", "ctab", "imag", "ebuf",
                          "sci", "sci", "sls", "slw", "sci", "line", "box", "sch", "wedg", "sci",
                          "sch", "slw", "label", "sci", "slw", "end"));
  const auto& calls = recorded_pgplot::calls();
  EXPECT_THAT(calls[0].numbers, ElementsAre(0, 1, 1));
  EXPECT_THAT(calls[0].texts, ElementsAre("Map.ps" + std::string(74, ' ') + "/ps"));
  EXPECT_THAT(calls[1].numbers, ElementsAre(2));
  EXPECT_THAT(calls[2].numbers, ElementsAre(3));
  EXPECT_THAT(calls[3].numbers, ElementsAre(0.12f, 0.83f, 0.12f, 0.88f));
  EXPECT_THAT(calls[4].numbers, ElementsAre(1, 3, 10, 20));
  EXPECT_THAT(calls[6].numbers, ElementsAre(2, 1.0, 0.5));
  EXPECT_THAT(calls[6].arrays, ElementsAre(ElementsAre(0, 1), ElementsAre(0, 1), ElementsAre(0, 1),
                                           ElementsAre(0, 1)));
  EXPECT_THAT(calls[7].numbers, ElementsAre(3, 2, 1, 3, 1, 2, 1, 6));
  EXPECT_THAT(calls[7].arrays[0], ElementsAreArray(z6));
  EXPECT_THAT(calls[7].arrays[1], ElementsAre(0, 1, 0, 0, 0, 10));
  EXPECT_THAT(calls[9].numbers, ElementsAre(0));
  EXPECT_THAT(calls[10].numbers, ElementsAre(1));
  EXPECT_THAT(calls[11].numbers, ElementsAre(1));
  EXPECT_THAT(calls[12].numbers, ElementsAre(1));
  EXPECT_THAT(calls[13].numbers, ElementsAre(1));
  EXPECT_THAT(calls[14].arrays,
              ElementsAre(ElementsAre(1, 1, 3, 3, 1), ElementsAre(10, 20, 20, 10, 10)));
  EXPECT_THAT(calls[15].texts, ElementsAre("bcnts", "bcnts"));
  EXPECT_THAT(calls[15].numbers, ElementsAre(0, 0, 0, 0));
  EXPECT_THAT(calls[16].numbers, ElementsAre(0.8f));
  EXPECT_THAT(calls[17].texts, ElementsAre("ri", " "));
  EXPECT_THAT(calls[17].numbers, ElementsAre(3, 4, 1, 6));
  EXPECT_THAT(calls[18].numbers, ElementsAre(1));
  EXPECT_THAT(calls[19].numbers, ElementsAre(1));
  EXPECT_THAT(calls[20].numbers, ElementsAre(3));
  EXPECT_THAT(calls[21].texts,
              ElementsAre(padded("x"), padded("y"), padded("Representation of z=z(x,y)")));
  EXPECT_THAT(calls[22].numbers, ElementsAre(0));
  EXPECT_THAT(calls[23].numbers, ElementsAre(3));
  EXPECT_THAT(console.lines, ElementsAre("  Output in Map.ps"));
}

TEST_F(RecordedPlot, TextsReachPgplotAsResolved) {
  postscript_map(x3, y2, z6,
                 {.xlabel = "   depth  ", .ylabel = "   ", .title = "  T\\u2\\d", .device = "cps"});
  EXPECT_THAT(only("label").texts, ElementsAre(padded("depth"), padded(""), padded("  T\\u2\\d")));
  EXPECT_EQ(only("begin").texts[0], "Map.cps" + std::string(73, ' ') + "/cps");
  EXPECT_THAT(console.lines, ElementsAre("  Output in Map.cps"));
}

TEST_F(RecordedPlot, FileNameAndDeviceEndUpInTheDeviceName) {
  postscript_map(x3, y2, z6, {.filename = "plot.dat", .device = " cps "});
  EXPECT_EQ(only("begin").texts[0], padded("plot.dat") + "/cps");
  EXPECT_THAT(console.lines, ElementsAre("  Output in plot.dat"));
}

TEST_F(RecordedPlot, BlankFileNameWritesNoPlot) {
  postscript_map(x3, y2, z6, {.filename = "   "});
  EXPECT_TRUE(recorded_pgplot::calls().empty());
  EXPECT_THAT(console.lines, ElementsAre("  Blank plot file name: no plot written"));
}

TEST_F(RecordedPlot, WindowDevicesOpenOnTheDisplayAndReportNoFile) {
  postscript_map(x3, y2, z6, {.device = "XW"});
  EXPECT_EQ(only("begin").texts[0], "/XW");
  recorded_pgplot::reset();
  postscript_map(x3, y2, z6, {.filename = "", .device = "xwin"});
  EXPECT_EQ(only("begin").texts[0], "/xwin");
  postscript_map(x3, y2, z6, {.filename = "view", .device = " xs "});
  EXPECT_EQ(recorded_pgplot::calls().back().routine, "end");
  EXPECT_TRUE(console.lines.empty());
}

TEST_F(RecordedPlot, LogscaleDrawsBaseTenLogarithmsUnderALogTitle) {
  postscript_map(std::vector<float>{1, 2}, std::vector<float>{1, 2},
                 std::vector<float>{1, 10, 100, 0}, {.logscale = true, .title = "  depth"});
  const call& image = only("imag");
  // log10(0) = -inf stays out of the scale and is drawn at its low end.
  EXPECT_THAT(image.arrays[0], ElementsAre(0, 1, 2, 0));
  EXPECT_EQ(image.numbers[6], 0);
  EXPECT_EQ(image.numbers[7], 2);
  EXPECT_EQ(only("label").texts[2], padded("log(depth)"));
  EXPECT_THAT(console.lines,
              ElementsAre("  Warning: 1 values not finite, drawn at the ends of the scale",
                          "  Output in Map.ps"));
}

TEST_F(RecordedPlot, SurplusValuesAreIgnoredAfterAWarning) {
  std::vector<float> z = z6;
  z.insert(z.end(), {-50, 50, 0, 0, 0});
  postscript_map(x3, y2, z);
  EXPECT_THAT(only("imag").arrays[0], ElementsAreArray(z6));
  EXPECT_THAT(only("imag").numbers, ElementsAre(3, 2, 1, 3, 1, 2, 1, 6));
  EXPECT_THAT(console.lines,
              ElementsAre("  Warning: incompatible array sizes !!!", "  Output in Map.ps"));
}

TEST_F(RecordedPlot, MissingValuesAreDrawnAtTheMinimumWithoutReadingPastTheEnd) {
  const std::vector<float> storage{4, 2, 7, 9, 99};
  postscript_map(x3, y2, std::span<const float>(storage).first(4));
  EXPECT_THAT(only("imag").arrays[0], ElementsAre(4, 2, 7, 9, 2, 2));
  EXPECT_THAT(only("imag").numbers, ElementsAre(3, 2, 1, 3, 1, 2, 2, 9));
  EXPECT_THAT(console.lines,
              ElementsAre("  Warning: incompatible array sizes !!!", "  Output in Map.ps"));
}

TEST_F(RecordedPlot, FlatDataIsReportedAndStillDrawn) {
  postscript_map(x3, y2, std::vector<float>(6, 3.5f));
  EXPECT_THAT(console.lines, ElementsAre("  Array is flat!", "  Output in Map.ps"));
  EXPECT_THAT(only("wedg").numbers, ElementsAre(3, 4, 3.5, 3.5));

  console.lines.clear();
  postscript_map(std::vector<float>{0, 1}, std::vector<float>{0}, std::vector<float>{0, 1.0e-6f});
  EXPECT_THAT(console.lines, ElementsAre("  Output in Map.ps")) << "a range of 1e-6 is not flat";

  console.lines.clear();
  postscript_map(std::vector<float>{0, 1}, std::vector<float>{0}, std::vector<float>{0, 0.9e-6f});
  EXPECT_THAT(console.lines, ElementsAre("  Array is flat!", "  Output in Map.ps"));
}

TEST_F(RecordedPlot, NanNeverBecomesMinimumOrMaximum) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  postscript_map(std::vector<float>{0, 1}, std::vector<float>{0, 1},
                 std::vector<float>{nan, 5, -2, nan});
  EXPECT_THAT(only("imag").numbers, ElementsAre(2, 2, 1, 2, 1, 2, -2, 5));
  EXPECT_THAT(only("imag").arrays[0], ElementsAre(-2, 5, -2, -2));
  EXPECT_THAT(only("wedg").numbers, ElementsAre(3, 4, -2, 5));
}

TEST_F(RecordedPlot, InfinitiesAreDrawnAtTheEndsOfTheFiniteRange) {
  const float inf = std::numeric_limits<float>::infinity();
  postscript_map(std::vector<float>{0, 1}, std::vector<float>{0, 1},
                 std::vector<float>{inf, 1, 3, -inf});
  EXPECT_THAT(only("imag").arrays[0], ElementsAre(3, 1, 3, 1));
  EXPECT_THAT(only("wedg").numbers, ElementsAre(3, 4, 1, 3));
  EXPECT_EQ(console.lines.front(),
            "  Warning: 2 values not finite, drawn at the ends of the scale");
}

TEST_F(RecordedPlot, UnevenCoordinatesArePlacedAsIfEvenlySpaced) {
  postscript_map(std::vector<float>{0, 1, 5}, std::vector<float>{-1, 0.5f, 3},
                 std::vector<float>(9, 1.0f));
  EXPECT_THAT(only("imag").arrays[1], ElementsAre(-2.5, 2.5, 0, -3, 0, 2));
  EXPECT_THAT(only("wnad").numbers, ElementsAre(0, 5, -1, 3));
  EXPECT_THAT(only("line").arrays,
              ElementsAre(ElementsAre(0, 0, 5, 5, 0), ElementsAre(-1, 3, 3, -1, -1)));
}

TEST_F(RecordedPlot, SingleCoordinateGivesAUnitCellAroundIt) {
  postscript_map(std::vector<float>{5}, std::vector<float>{1, 2, 3}, std::vector<float>{1, 2, 3});
  EXPECT_THAT(only("wnad").numbers, ElementsAre(4.5, 5.5, 1, 3));
  EXPECT_THAT(only("imag").arrays[1], ElementsAre(4, 1, 0, 0, 0, 1));
  EXPECT_THAT(only("line").arrays,
              ElementsAre(ElementsAre(4.5, 4.5, 5.5, 5.5, 4.5), ElementsAre(1, 3, 3, 1, 1)));
  for (double number : only("imag").numbers) EXPECT_TRUE(std::isfinite(number));

  recorded_pgplot::reset();
  postscript_map(std::vector<float>{5}, std::vector<float>{7}, std::vector<float>{1});
  EXPECT_THAT(only("wnad").numbers, ElementsAre(4.5, 5.5, 6.5, 7.5));
  EXPECT_THAT(only("imag").arrays[1], ElementsAre(4, 1, 0, 6, 0, 1));
}

TEST_F(RecordedPlot, EmptyArraysDrawNothing) {
  postscript_map(std::vector<float>{}, y2, z6);
  postscript_map(x3, std::vector<float>{}, z6);
  EXPECT_TRUE(recorded_pgplot::calls().empty());
  EXPECT_THAT(
      console.lines,
      ElementsAre("  Warning: incompatible array sizes !!!", "  Empty array: no plot written",
                  "  Warning: incompatible array sizes !!!", "  Empty array: no plot written"));
  console.lines.clear();
  postscript_map(x3, y2, std::vector<float>{});
  postscript_map(x3, y2, grid_view<float>{nullptr, 3, 2});
  EXPECT_TRUE(recorded_pgplot::calls().empty());
  EXPECT_EQ(console.lines.size(), 4u);
  EXPECT_EQ(console.lines[3], "  Empty array: no plot written");
}

TEST_F(RecordedPlot, DeviceThatCannotBeOpenedStopsTheCallWithoutOutputLine) {
  recorded_pgplot::set_begin_status(0);
  postscript_map(x3, y2, z6, {.device = "nonsense"});
  EXPECT_THAT(recorded_pgplot::routines(), ElementsAre("begin"));
  EXPECT_THAT(console.lines, ElementsAre("  Cannot open plot device Map.nonsense/nonsense"));
}

TEST_F(RecordedPlot, OverloadsHandTheCoreConvertedData) {
  const std::vector<double> xd{1.0, 2.0, 3.0};
  const std::vector<double> yd{10.0, 20.0};
  const std::vector<double> zd{0.1, 1e40, -1e40, 4.0, 5.0, 1.0 / 3.0};
  const std::vector<float> zf{0.1f,
                              std::numeric_limits<float>::infinity(),
                              -std::numeric_limits<float>::infinity(),
                              4.0f,
                              5.0f,
                              1.0f / 3.0f};
  const postscript_options options{.xlabel = " a ", .title = "t", .device = "vps"};

  postscript_map(x3, y2, zf, options);
  const std::vector<call> core = recorded_pgplot::calls();
  const auto expect_same_as_core = [&](const char* overload) {
    const auto& calls = recorded_pgplot::calls();
    ASSERT_EQ(calls.size(), core.size()) << overload;
    for (std::size_t k = 0; k < core.size(); ++k) {
      EXPECT_EQ(calls[k].routine, core[k].routine) << overload;
      EXPECT_EQ(calls[k].numbers, core[k].numbers) << overload << " " << core[k].routine;
      EXPECT_EQ(calls[k].texts, core[k].texts) << overload << " " << core[k].routine;
      EXPECT_EQ(calls[k].arrays, core[k].arrays) << overload << " " << core[k].routine;
    }
    recorded_pgplot::reset();
  };
  recorded_pgplot::reset();
  postscript_map(xd, yd, zd, options);
  expect_same_as_core("double flat");
  postscript_map(x3, y2, grid_view<float>{zf.data(), 3, 2}, options);
  expect_same_as_core("single grid");
  postscript_map(xd, yd, grid_view<double>{zd.data(), 3, 2}, options);
  expect_same_as_core("double grid");
  postscript_map(x3, y2, grid_view<float>{zf.data(), 2, 3}, options);
  expect_same_as_core("single grid shaped ny by nx");
  ASSERT_EQ(console.lines.size(), 10u);
  for (std::size_t k = 0; k < console.lines.size(); k += 2) {
    EXPECT_EQ(console.lines[k], "  Warning: 2 values not finite, drawn at the ends of the scale");
    EXPECT_EQ(console.lines[k + 1], "  Output in Map.vps");
  }
}

TEST_F(RecordedPlot, OverloadsLeaveTheSizeCheckToTheCore) {
  const std::vector<double> zd(7, 1.0);
  postscript_map(std::vector<double>{1, 2, 3}, std::vector<double>{1, 2}, zd);
  postscript_map(std::vector<double>{1, 2, 3}, std::vector<double>{1, 2},
                 grid_view<double>{zd.data(), 2, 2});
  EXPECT_THAT(console.lines,
              ElementsAre("  Warning: incompatible array sizes !!!", "  Array is flat!",
                          "  Output in Map.ps", "  Warning: incompatible array sizes !!!",
                          "  Array is flat!", "  Output in Map.ps"));
}

TEST_F(RecordedPlot, LogscaleInADoubleOverloadTakesTheLogarithmOfTheRoundedValues) {
  const double value = 1.0 + 1e-12;  // rounds to exactly 1 in single precision
  postscript_map(std::vector<double>{0, 1}, std::vector<double>{0},
                 std::vector<double>{value, 10.0}, {.logscale = true});
  EXPECT_THAT(only("imag").arrays[0], ElementsAre(0.0f, 1.0f));
}

}  // namespace
}  // namespace mapplot
