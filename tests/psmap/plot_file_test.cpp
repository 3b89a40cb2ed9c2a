// Plot files written by the real PGPLOT, rendered and looked at.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <latch>
#include <mapplot/console.hpp>
#include <mapplot/postscript_map.hpp>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "grey_page.hpp"

namespace mapplot {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

std::string contents(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

// The file without its creation date, the one line that differs between runs.
std::string without_creation_date(const fs::path& path) {
  std::istringstream text(contents(path));
  std::string kept, line;
  while (std::getline(text, line))
    if (!line.starts_with("%%CreationDate")) kept += line + '\n';
  return kept;
}

// Each test works in a fresh folder of its own, which it makes the working
// folder so that file names stay short.
class PlotFile : public ::testing::Test {
 protected:
  void SetUp() override {
    previous = fs::current_path();
    folder =
        previous / "plot_files" / ::testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::remove_all(folder);
    fs::create_directories(folder);
    fs::current_path(folder);
  }
  void TearDown() override { fs::current_path(previous); }

  fs::path previous;
  fs::path folder;
  console_capture console{1000};
};

// A 2 x 2 grid: 0 at (x0, y0), 1 at (x1, y0), 2 at (x0, y1), 3 at (x1, y1).
const std::vector<float> x2{0.0f, 1.0f};
const std::vector<float> y2{0.0f, 1.0f};
const std::vector<float> ramp{0.0f, 1.0f, 2.0f, 3.0f};

struct cell_centres {
  point lowest, along_x, along_y;
};

std::optional<cell_centres> find_cells(const grey_page& page) {
  const auto lowest = largest_solid_area_centre(page, 0, 20, 3);
  const auto along_x = largest_solid_area_centre(page, 60, 110, 3);
  const auto along_y = largest_solid_area_centre(page, 145, 195, 3);
  if (!lowest || !along_x || !along_y) return std::nullopt;
  return cell_centres{*lowest, *along_x, *along_y};
}

// The highest cell lies diagonally opposite the lowest and is white.
void expect_white_at_fourth_corner(const grey_page& page, const cell_centres& cells) {
  const int x = static_cast<int>(cells.along_x.x + cells.along_y.x - cells.lowest.x);
  const int y = static_cast<int>(cells.along_x.y + cells.along_y.y - cells.lowest.y);
  ASSERT_TRUE(x >= 0 && y >= 0 && x < page.width && y < page.height);
  EXPECT_GE(page.at(x, y), 250);
  EXPECT_GE(page.at(x + 5, y + 5), 250);
  EXPECT_GE(page.at(x - 5, y - 5), 250);
}

TEST_F(PlotFile, PortraitPostscriptShowsLowestBlackAtOriginAndHighestWhiteOpposite) {
  const std::string name = "portrait.ps";
  postscript_map(x2, y2, ramp, {.filename = name, .device = "vps"});
  EXPECT_THAT(console.lines, ElementsAre("  Output in portrait.vps"));
  const auto page = render_postscript("portrait.vps");
  ASSERT_TRUE(page);
  const auto cells = find_cells(*page);
  ASSERT_TRUE(cells);
  EXPECT_GT(cells->along_x.x, cells->lowest.x + 40) << "x grows to the right";
  EXPECT_NEAR(cells->along_x.y, cells->lowest.y, 3);
  EXPECT_LT(cells->along_y.y, cells->lowest.y - 40) << "y grows upwards";
  EXPECT_NEAR(cells->along_y.x, cells->lowest.x, 3);
  expect_white_at_fourth_corner(*page, *cells);

  // The wedge: a full grey ramp right of the image, nothing of it left of the image.
  const double half_width = (cells->along_x.x - cells->lowest.x) / 2;
  const double half_height = (cells->lowest.y - cells->along_y.y) / 2;
  const int image_right = static_cast<int>(cells->along_x.x + half_width);
  const int image_left = static_cast<int>(cells->lowest.x - half_width);
  const int top = static_cast<int>(cells->along_y.y - half_height);
  const int bottom = static_cast<int>(cells->lowest.y + half_height);
  EXPECT_GT(grey_levels_in(*page, image_right + 2, top, page->width, bottom), 50);
  EXPECT_LE(grey_levels_in(*page, 0, top, image_left - 2, bottom), 2);
}

// log10(0) is -inf: it must not become the bottom of the scale, which would
// leave every finite cell at the top, white.
TEST_F(PlotFile, LogarithmOfZeroLeavesTheOtherCellsOnTheirGreys) {
  postscript_map(x2, y2, std::vector<float>{0.0f, 10.0f, 100.0f, 1000.0f},
                 {.logscale = true, .filename = "log.ps", .device = "vps"});
  const auto page = render_postscript("log.vps");
  ASSERT_TRUE(page);
  const auto black = largest_solid_area_centre(*page, 0, 20, 3);
  const auto middle = largest_solid_area_centre(*page, 110, 145, 3);
  ASSERT_TRUE(black && middle) << "expected black and mid-grey cells";
  EXPECT_LT(middle->y, black->y - 40) << "log10(100) = 2, half way up the scale, in the top row";
}

TEST_F(PlotFile, LandscapePostscriptIsTheSameMapTurnedOnThePage) {
  const std::string name = "Map.ps";
  postscript_map(x2, y2, ramp, {.filename = name});
  const auto page = render_postscript(name);
  ASSERT_TRUE(page);
  const auto cells = find_cells(*page);
  ASSERT_TRUE(cells);
  EXPECT_LT(cells->along_x.y, cells->lowest.y - 40) << "x runs up the page";
  EXPECT_NEAR(cells->along_x.x, cells->lowest.x, 3);
  EXPECT_LT(cells->along_y.x, cells->lowest.x - 40) << "y runs to the left";
  EXPECT_NEAR(cells->along_y.y, cells->lowest.y, 3);
  expect_white_at_fourth_corner(*page, *cells);
  const int image_top =
      static_cast<int>(cells->along_x.y - (cells->lowest.y - cells->along_x.y) / 2);
  EXPECT_GT(grey_levels_in(*page, 0, 0, page->width, image_top - 2), 50) << "wedge";
}

TEST_F(PlotFile, PngShowsTheSameCellsOnItsBlackBackground) {
  const std::string name = "map.png";
  postscript_map(x2, y2, ramp, {.filename = name, .device = "png"});
  const auto page = read_png(name);
  ASSERT_TRUE(page);
  EXPECT_EQ(page->width, 850);
  EXPECT_EQ(page->height, 680);
  // The background is black too, so the lowest cell is found from the others.
  const auto along_x = largest_solid_area_centre(*page, 60, 110, 3);
  const auto along_y = largest_solid_area_centre(*page, 145, 195, 3);
  const auto highest = largest_solid_area_centre(*page, 250, 255, 3);
  ASSERT_TRUE(along_x && along_y && highest);
  EXPECT_NEAR(highest->x, along_x->x, 3);
  EXPECT_NEAR(highest->y, along_y->y, 3);
  EXPECT_GT(along_x->x, along_y->x + 40);
  EXPECT_LT(along_y->y, along_x->y - 40);
  const int lowest_x = static_cast<int>(along_y->x), lowest_y = static_cast<int>(along_x->y);
  EXPECT_LE(page->at(lowest_x, lowest_y), 5);
}

TEST_F(PlotFile, EveryFileDeviceWritesItsFormat) {
  struct expected {
    const char* device;
    const char* file;
    std::string start;
  };
  for (const expected& each :
       {expected{"ps", "Map.ps", "%!PS"}, expected{"vps", "Map.vps", "%!PS"},
        expected{"cps", "Map.cps", "%!PS"}, expected{"vcps", "Map.vcps", "%!PS"},
        expected{"gif", "Map.gif", "GIF8"}, expected{"vgif", "Map.vgif", "GIF8"},
        expected{"png", "Map.png", "\x89PNG"}, expected{"tpng", "Map.tpng", "\x89PNG"},
        expected{"latex", "Map.latex", "\\setlength"}, expected{"PS", "Map.PS", "%!PS"}}) {
    postscript_map(x2, y2, ramp, {.filename = "Map.ps", .device = each.device});
    EXPECT_EQ(contents(folder / each.file).substr(0, each.start.size()), each.start) << each.device;
    EXPECT_EQ(console.lines.back(), "  Output in " + std::string(each.file));
  }
  const std::size_t reported = console.lines.size();
  postscript_map(x2, y2, ramp, {.filename = "Map.ps", .device = "null"});
  EXPECT_FALSE(fs::exists(folder / "Map.null"));
  EXPECT_EQ(console.lines.size(), reported) << "an output line for a file never written";
}

TEST_F(PlotFile, DefaultsWriteMapPsInTheWorkingFolder) {
  postscript_map(x2, y2, ramp);
  EXPECT_THAT(console.lines, ElementsAre("  Output in Map.ps"));
  EXPECT_THAT(contents(folder / "Map.ps"), HasSubstr("%%Orientation: Landscape"));
}

TEST_F(PlotFile, DeviceThatCannotBeOpenedIsReportedAndNoOutputLineWritten) {
  postscript_map(x2, y2, ramp, {.filename = "Map.ps", .device = "nosuchdevice"});
  postscript_map(x2, y2, ramp, {.filename = "missing/m.ps"});
  std::ofstream(folder / "plain_file") << "x";
  postscript_map(x2, y2, ramp, {.filename = "plain_file/m.ps"});
  EXPECT_THAT(console.lines, ElementsAre("  Cannot open plot device Map.nosuchdevice/nosuchdevice",
                                         "  Cannot open plot device missing/m.ps/ps",
                                         "  Cannot open plot device plain_file/m.ps/ps"));
  EXPECT_FALSE(fs::exists(folder / "missing"));

  // PGPLOT is left closed: the next call works normally.
  postscript_map(x2, y2, ramp, {.filename = "after.ps"});
  EXPECT_EQ(console.lines.back(), "  Output in after.ps");
  EXPECT_TRUE(render_postscript("after.ps"));
}

TEST_F(PlotFile, LongFileNameIsUsedWhole) {
  const std::string name = std::string(150, 'n') + ".ps";
  ASSERT_GT(name.size(), 150u);
  postscript_map(x2, y2, ramp, {.filename = name, .device = "vps"});
  const std::string written = name.substr(0, name.size() - 2) + "vps";
  EXPECT_THAT(console.lines, ElementsAre("  Output in " + written));
  ASSERT_TRUE(fs::exists(written));
  const auto page = render_postscript(written);
  ASSERT_TRUE(page);
  EXPECT_TRUE(find_cells(*page));
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 2)
      << "the file and its rendering, nothing else";

  console.lines.clear();
  const std::string unreachable = "missing/" + std::string(150, 'm') + ".ps";
  postscript_map(x2, y2, ramp, {.filename = unreachable});
  EXPECT_THAT(console.lines, ElementsAre("  Cannot write plot file " + unreachable));
}

TEST_F(PlotFile, FlatAndMismatchedDataStillGiveAFile) {
  postscript_map(x2, y2, std::vector<float>(4, 2.0f), {.filename = "flat.ps"});
  postscript_map(x2, y2, std::vector<float>{1, 2, 3}, {.filename = "short.ps"});
  EXPECT_THAT(console.lines,
              ElementsAre("  Array is flat!", "  Output in flat.ps",
                          "  Warning: incompatible array sizes !!!", "  Output in short.ps"));
  EXPECT_TRUE(render_postscript("flat.ps"));
  EXPECT_TRUE(render_postscript("short.ps"));
}

TEST_F(PlotFile, AllOverloadsWriteTheSameFileAsTheCore) {
  const std::vector<double> xd{0.5, 1.5, 2.5};
  const std::vector<double> yd{-1.0, 1.0};
  const std::vector<double> zd{0.1, 0.2, 0.7, 1.1, -3.3, 2.0 / 3.0};
  const std::vector<float> xf(xd.begin(), xd.end()), yf(yd.begin(), yd.end()),
      zf(zd.begin(), zd.end());
  const postscript_options options{.logscale = true, .title = "overloads", .filename = "same.ps"};
  const fs::path file = folder / "same.ps";

  postscript_map(xf, yf, zf, options);
  const std::string core = without_creation_date(file);
  EXPECT_THAT(core, HasSubstr("%!PS"));
  postscript_map(xd, yd, zd, options);
  EXPECT_EQ(without_creation_date(file), core) << "double flat";
  postscript_map(xf, yf, grid_view<float>{zf.data(), 3, 2}, options);
  EXPECT_EQ(without_creation_date(file), core) << "single grid";
  postscript_map(xd, yd, grid_view<double>{zd.data(), 3, 2}, options);
  EXPECT_EQ(without_creation_date(file), core) << "double grid";
}

TEST_F(PlotFile, ConcurrentCallsGiveTheSameFilesAsSequentialOnes) {
  // Grids large enough that unserialised calls would overlap inside PGPLOT.
  constexpr int side = 60;
  std::vector<float> axis(side), first(side * side), second(side * side);
  for (int k = 0; k < side; ++k) axis[k] = static_cast<float>(k);
  for (int k = 0; k < side * side; ++k) {
    first[k] = static_cast<float>(k % 7);
    second[k] = static_cast<float>(k % 11) * -2.0f;
  }
  constexpr int rounds = 20;
  const auto write = [&](const std::vector<float>& z, const std::string& name) {
    postscript_map(axis, axis, z, {.title = name, .filename = name});
  };
  std::latch start(2);
  std::thread one([&] {
    start.arrive_and_wait();
    for (int round = 0; round < rounds; ++round)
      write(first, "first" + std::to_string(round) + ".ps");
  });
  std::thread two([&] {
    start.arrive_and_wait();
    for (int round = 0; round < rounds; ++round)
      write(second, "second" + std::to_string(round) + ".ps");
  });
  one.join();
  two.join();

  // Each file written again alone must come out the same.
  for (int round = 0; round < rounds; ++round) {
    for (const char* which : {"first", "second"}) {
      const std::string name = std::string(which) + std::to_string(round) + ".ps";
      const std::string concurrent = without_creation_date(folder / name);
      write(which == std::string("first") ? first : second, name);
      EXPECT_EQ(concurrent, without_creation_date(folder / name)) << name;
    }
  }
  EXPECT_EQ(console.lines.size(), 4u * rounds);
}

}  // namespace
}  // namespace mapplot
