// The PGPLOT calls the PostScript map makes, seen through a recording binding.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <mapplot/postscript_map.hpp>
#include <numeric>
#include <sstream>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "recorded_pgplot.hpp"
#include "scratch_folder.hpp"
#include "textout/console_capture.hpp"

namespace mapplot {
namespace {

using recorded_pgplot::call;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using ::testing::StartsWith;
namespace fs = std::filesystem;

std::string padded(std::string text) {
  text.resize(80, ' ');
  return text;
}

// The file part of what PGBEG is given: the temporary file PGPLOT writes,
// named plainly, in the working folder, padded to 80 characters.
void expect_staged_in_working_folder(const std::string& device_name, const std::string& type) {
  ASSERT_EQ(device_name.size(), 81 + type.size()) << device_name;
  EXPECT_THAT(device_name, StartsWith("./.mapplot-"));
  EXPECT_EQ(device_name.substr(80), "/" + type);
}

std::string contents_of(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

std::vector<std::string> folder_entries() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(".")) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

class RecordedPlot : public ::testing::Test {
 protected:
  void SetUp() override { recorded_pgplot::reset(); }
  void TearDown() override { recorded_pgplot::reset(); }

  testing::scratch_folder folder;

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
  expect_staged_in_working_folder(calls[0].texts.at(0), "ps");
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
  EXPECT_THAT(folder_entries(), ElementsAre("Map.ps"));
  EXPECT_THAT(contents_of("Map.ps"), StartsWith("%!PS"));
}

TEST_F(RecordedPlot, TextsReachPgplotAsResolved) {
  postscript_map(x3, y2, z6,
                 {.xlabel = "   depth  ", .ylabel = "   ", .title = "  T\\u2\\d", .device = "cps"});
  EXPECT_THAT(only("label").texts, ElementsAre(padded("depth"), padded(""), padded("  T\\u2\\d")));
  expect_staged_in_working_folder(only("begin").texts[0], "cps");
  EXPECT_THAT(console.lines, ElementsAre("  Output in Map.cps"));
  EXPECT_THAT(folder_entries(), ElementsAre("Map.cps"));
}

TEST_F(RecordedPlot, FileNameAndDeviceEndUpInTheDeviceName) {
  postscript_map(x3, y2, z6, {.filename = "plot.dat", .device = " cps "});
  expect_staged_in_working_folder(only("begin").texts[0], "cps");
  EXPECT_THAT(console.lines, ElementsAre("  Output in plot.dat"));
  EXPECT_THAT(folder_entries(), ElementsAre("plot.dat"));
}

TEST_F(RecordedPlot, UnusableNamesAreRejectedBeforeAnythingHappens) {
  for (const std::string& name : {std::string("   "), std::string(""), std::string("a\0b.ps", 7)})
    EXPECT_THROW(postscript_map(x3, y2, z6, {.filename = name}), std::invalid_argument);
  EXPECT_THROW(postscript_map(std::vector<double>{1}, std::vector<double>{1},
                              std::vector<double>{1}, {.filename = std::string("a\0b", 4)}),
               std::invalid_argument);
  // The null device writes no file, so a blank name is no matter there.
  postscript_map(x3, y2, z6, {.filename = " ", .device = "null"});
  EXPECT_THAT(recorded_pgplot::routines(), ::testing::Contains("end"));
  EXPECT_TRUE(folder_entries().empty());
  EXPECT_TRUE(console.lines.empty());
}

// PGPLOT takes "n" for its null device and "x..." would be a window; mapplot
// wants two letters, and a device it can check the output of.
TEST_F(RecordedPlot, DeviceTypesPgplotDoesNotKnowOrMapplotCannotCheckAreRejected) {
  for (const char* type :
       {"x", "n", "p", "v", "nosuch", "ps/cps", "", "cgm", "hpgl", "tek4010", "wd", "p s"}) {
    EXPECT_THROW(postscript_map(x3, y2, z6, {.filename = "Map.ps", .device = type}),
                 std::invalid_argument)
        << type;
  }
  EXPECT_TRUE(recorded_pgplot::calls().empty());
  EXPECT_TRUE(folder_entries().empty());
  EXPECT_TRUE(console.lines.empty());

  postscript_map(x3, y2, z6, {.filename = "Map.ps", .device = "Vp"});
  postscript_map(x3, y2, z6, {.filename = "Map.ps", .device = "nu"});
  EXPECT_THAT(console.lines, ElementsAre("  Output in Map.Vp"));
  EXPECT_THAT(folder_entries(), ElementsAre("Map.Vp"));
}

TEST_F(RecordedPlot, AnIncompleteFileIsAFailedWriteThatKeepsTheEarlierFile) {
  std::ofstream("Map.ps") << "earlier plot";
  recorded_pgplot::set_written_contents("%!PS-Adobe-3.0\n%%Page: 1 1\n0 0 moveto\n");
  try {
    postscript_map(x3, y2, z6);
    ADD_FAILURE() << "an incomplete file was taken as written";
  } catch (const std::system_error& error) {
    EXPECT_THAT(error.what(), HasSubstr("\"Map.ps\""));
  }
  EXPECT_EQ(contents_of("Map.ps"), "earlier plot");
  EXPECT_THAT(folder_entries(), ElementsAre("Map.ps"));
  EXPECT_THAT(console.lines, ElementsAre("  Cannot write plot file Map.ps"));

  // Each format has its own ending; a PNG cut short is no PNG.
  recorded_pgplot::set_written_contents(std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16));
  EXPECT_THROW(postscript_map(x3, y2, z6, {.device = "png"}), std::system_error);
  recorded_pgplot::set_written_contents("GIF89a");
  EXPECT_THROW(postscript_map(x3, y2, z6, {.device = "gif"}), std::system_error);
  recorded_pgplot::set_written_contents("\\begin{picture}(1,1)\n");
  EXPECT_THROW(postscript_map(x3, y2, z6, {.device = "latex"}), std::system_error);
  EXPECT_THAT(folder_entries(), ElementsAre("Map.ps"));
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
              ElementsAre("  Warning: 1 of 4 values not finite, drawn at the ends of the scale",
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

// The image holds only the values given: complete rows in one piece, the
// partial row after them, and the cells without values stay blank.
TEST_F(RecordedPlot, MissingValuesStayBlankAndNothingIsReadPastTheEnd) {
  const std::vector<float> storage{4, 2, 7, 9, 99};
  postscript_map(x3, y2, std::span<const float>(storage).first(4));
  const auto& calls = recorded_pgplot::calls();
  std::vector<call> images;
  std::copy_if(calls.begin(), calls.end(), std::back_inserter(images),
               [](const call& entry) { return entry.routine == "imag"; });
  ASSERT_EQ(images.size(), 2u);
  EXPECT_THAT(images[0].arrays[0], ElementsAre(4, 2, 7, 9));
  EXPECT_THAT(images[0].numbers, ElementsAre(3, 1, 1, 3, 1, 1, 2, 9));
  EXPECT_THAT(images[1].numbers, ElementsAre(3, 2, 1, 1, 2, 2, 2, 9));
  EXPECT_EQ(images[0].arrays[1], images[1].arrays[1]) << "one placement for both";
  EXPECT_THAT(console.lines,
              ElementsAre("  Warning: incompatible array sizes !!!", "  Output in Map.ps"));

  // Many cells and two values: memory for the two, not for the grid.
  recorded_pgplot::reset();
  std::vector<float> wide(40000);
  std::iota(wide.begin(), wide.end(), 0.0f);
  postscript_map(wide, wide, std::vector<float>{1, 2});
  EXPECT_THAT(only("imag").numbers, ElementsAre(40000, 1, 1, 2, 1, 1, 1, 2));
  EXPECT_THAT(only("imag").arrays[0], ElementsAre(1, 2));
}

// PGIMAG reads single values where the caller keeps them, surplus values
// included; only doubles, logarithms and values that must be replaced are
// copied, and the caller's values are never changed.
TEST_F(RecordedPlot, SingleValuesAreDrawnWhereTheCallerKeepsThem) {
  std::vector<float> z = z6;
  z.push_back(1e30f);
  postscript_map(x3, y2, z);
  EXPECT_EQ(only("imag").grid, z.data());
  recorded_pgplot::reset();
  postscript_map(x3, y2, grid_view<float>{z.data(), 3, 2});
  EXPECT_EQ(only("imag").grid, z.data());

  const auto copied = [&](const std::vector<float>& values, bool logscale) {
    recorded_pgplot::reset();
    postscript_map(x3, y2, values, {.logscale = logscale});
    return only("imag").grid != values.data();
  };
  EXPECT_TRUE(copied(z6, true));
  std::vector<float> with_nan = z6;
  with_nan[4] = NAN;
  EXPECT_TRUE(copied(with_nan, false));
  EXPECT_TRUE(std::isnan(with_nan[4]));
  EXPECT_THAT(only("imag").arrays[0], ElementsAre(1, 2, 3, 4, 1, 6));
  std::vector<float> wide_range = z6;
  wide_range[0] = -3e38f;
  wide_range[1] = 3e38f;
  EXPECT_TRUE(copied(wide_range, false));
  EXPECT_EQ(wide_range[1], 3e38f);
  EXPECT_FALSE(copied(z6, false));

  recorded_pgplot::reset();
  const std::vector<double> zd(z6.begin(), z6.end());
  postscript_map(std::vector<double>{0, 1, 2}, std::vector<double>{0, 1}, zd);
  EXPECT_THAT(only("imag").arrays[0], ElementsAreArray(z6));
}

TEST_F(RecordedPlot, SizesBeyondWhatArraysOrPgplotHoldAreRejected) {
  const std::vector<float> wide(50000, 1.0f);
  EXPECT_THROW(postscript_map(wide, wide, std::vector<float>{1, 2}), std::invalid_argument);
  const float values[4] = {1, 2, 3, 4};
  const std::size_t huge = std::size_t{1} << 33;
  EXPECT_THROW(postscript_map(x3, y2, grid_view<float>{values, huge, huge}), std::invalid_argument);
  EXPECT_THROW(postscript_map(std::vector<double>{1}, std::vector<double>{1},
                              grid_view<double>{nullptr, SIZE_MAX, 2}),
               std::invalid_argument);
  EXPECT_TRUE(recorded_pgplot::calls().empty());
  EXPECT_TRUE(console.lines.empty());
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
            "  Warning: 2 of 4 values not finite, drawn at the ends of the scale");
}

// One infinity alone still leaves the finite values their range; with no
// finite value at all the image is flat at 0.
TEST_F(RecordedPlot, AnInfinityAloneOrNoFiniteValueKeepsTheScaleFinite) {
  const float inf = std::numeric_limits<float>::infinity();
  postscript_map(std::vector<float>{0, 1}, std::vector<float>{0, 1},
                 std::vector<float>{2, inf, 1, 3});
  EXPECT_THAT(only("imag").arrays[0], ElementsAre(2, 3, 1, 3));
  EXPECT_THAT(only("wedg").numbers, ElementsAre(3, 4, 1, 3));
  recorded_pgplot::reset();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  postscript_map(std::vector<float>{0, 1}, std::vector<float>{0, 1},
                 std::vector<float>{nan, inf, -inf, nan});
  EXPECT_THAT(only("imag").arrays[0], ElementsAre(0, 0, 0, 0));
  EXPECT_THAT(only("wedg").numbers, ElementsAre(3, 4, 0, 0));
}

// A range beyond about 1e36 breaks PGPLOT's image; it is drawn divided by a
// power of ten that the wedge's label gives.
TEST_F(RecordedPlot, ExtremeValuesKeepTheirGreyLevels) {
  postscript_map(std::vector<float>{0, 1}, std::vector<float>{0, 1},
                 std::vector<float>{-FLT_MAX, FLT_MAX, 0, FLT_MAX / 2});
  const call& image = only("imag");
  const float top = static_cast<float>(static_cast<long double>(FLT_MAX) / 1.0e38L);
  EXPECT_THAT(image.numbers, ElementsAre(2, 2, 1, 2, 1, 2, -top, top));
  EXPECT_THAT(image.arrays[0], ElementsAre(-top, top, 0, ::testing::FloatNear(top / 2, 1e-6f)));
  EXPECT_THAT(only("wedg").texts, ElementsAre("ri", "\\x10\\u38"));
  EXPECT_THAT(console.lines, ElementsAre("  Output in Map.ps"));
}

// Coordinates that cannot place the map: the same line as on screen, a
// frame with labels and wedge, no image, and no numbers on that axis.
TEST_F(RecordedPlot, CoordinatesThatCannotPlaceTheMapGiveAnEmptyFrame) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  struct unusable {
    std::vector<float> x;
    std::string line;
  };
  for (const unusable& each :
       {unusable{{1, 1, 1}, "  Warning: the x coordinates span no width, map empty"},
        unusable{{nan, 1, 2}, "  Warning: the x coordinates are not all finite, map empty"},
        unusable{{0, 1, inf}, "  Warning: the x coordinates are not all finite, map empty"},
        unusable{{-FLT_MAX, 0, FLT_MAX},
                 "  Warning: the x coordinates span more than the number range, map empty"}}) {
    recorded_pgplot::reset();
    console.lines.clear();
    postscript_map(each.x, y2, z6);
    const auto routines = recorded_pgplot::routines();
    EXPECT_EQ(std::count(routines.begin(), routines.end(), "imag"), 0);
    EXPECT_EQ(std::count(routines.begin(), routines.end(), "line"), 0);
    EXPECT_THAT(only("box").texts, ElementsAre("bc", "bcnts"));
    EXPECT_THAT(only("wnad").numbers, ElementsAre(0, 1, 10, 20));
    for (const call& entry : recorded_pgplot::calls())
      for (const double number : entry.numbers) EXPECT_TRUE(std::isfinite(number)) << entry.routine;
    EXPECT_THAT(console.lines, ElementsAre(each.line, "  Output in Map.ps"));
  }
  console.lines.clear();
  postscript_map(x3, std::vector<float>{2, 2}, z6);
  EXPECT_EQ(console.lines.front(), "  Warning: the y coordinates span no height, map empty");
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
  EXPECT_THAT(console.lines, ElementsAre("  Warning: incompatible array sizes !!!",
                                         "  Warning: no x coordinates, no plot written",
                                         "  Warning: incompatible array sizes !!!",
                                         "  Warning: no y coordinates, no plot written"));
  console.lines.clear();
  postscript_map(x3, y2, std::vector<float>{});
  postscript_map(x3, y2, grid_view<float>{nullptr, 3, 2});
  EXPECT_TRUE(recorded_pgplot::calls().empty());
  EXPECT_EQ(console.lines.size(), 4u);
  EXPECT_EQ(console.lines[3], "  Warning: no values, no plot written");
  EXPECT_TRUE(folder_entries().empty());
}

TEST_F(RecordedPlot, ADeviceThatCannotBeOpenedIsAFailureThatLeavesNothing) {
  recorded_pgplot::set_begin_status(0);
  EXPECT_THROW(postscript_map(x3, y2, z6), std::system_error);
  EXPECT_THAT(recorded_pgplot::routines(), ElementsAre("begin"));
  EXPECT_THAT(console.lines, ElementsAre("  Cannot write plot file Map.ps"));
  EXPECT_TRUE(folder_entries().empty());

  // A window that cannot be opened leaves no file to report: a line says so.
  console.lines.clear();
  postscript_map(x3, y2, z6, {.device = "xw"});
  EXPECT_THAT(console.lines, ElementsAre("  Cannot open plot device /xw"));
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
      // Each call has its own temporary file.
      if (core[k].routine != "begin") {
        EXPECT_EQ(calls[k].texts, core[k].texts) << overload << " " << core[k].routine;
      }
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
    EXPECT_EQ(console.lines[k],
              "  Warning: 2 of 6 values not finite, drawn at the ends of the scale");
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
