// Plot files written by the real PGPLOT, rendered and looked at.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <latch>
#include <mapplot/postscript_map.hpp>
#include <sstream>
#include <stdexcept>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "grey_page.hpp"
#include "psmap/pgplot_binding.hpp"
#include "psmap/plot_completeness.hpp"
#include "scratch_folder.hpp"
#include "side_by_side.hpp"
#include "test_locales.hpp"
#include "textout/console_capture.hpp"

namespace mapplot {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using testing::file_contents;
using ::testing::HasSubstr;

// The file without its creation date, the one line that differs between runs.
std::string without_creation_date(const fs::path& path) {
  std::istringstream text(file_contents(path));
  std::string kept, line;
  while (std::getline(text, line))
    if (!line.starts_with("%%CreationDate")) kept += line + '\n';
  return kept;
}

std::vector<std::string> folder_entries(const fs::path& folder = ".") {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

// Each test works in a fresh folder of its own, which it makes the working
// folder so that file names stay short.
class PlotFile : public ::testing::Test {
 protected:
  testing::scratch_folder scratch;
  const fs::path& folder = scratch.path();
  console_capture console{1000};
};

// What a failing call throws, or empty when it does not throw.
template <class Call>
std::string system_error_of(Call&& call) {
  try {
    call();
  } catch (const std::system_error& error) {
    return error.what();
  }
  return {};
}

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
    const std::string written = file_contents(folder / each.file);
    EXPECT_EQ(written.substr(0, each.start.size()), each.start) << each.device;
    EXPECT_EQ(console.lines.back(), "  Output in " + std::string(each.file));
    // The check that tells a whole file from one whose writing stopped: the
    // file as PGPLOT wrote it passes, no part of it does.
    const auto bytes =
        std::span(reinterpret_cast<const unsigned char*>(written.data()), written.size());
    const plot_output format = each.start == "%!PS"      ? plot_output::postscript
                               : each.start == "GIF8"    ? plot_output::gif
                               : each.start == "\x89PNG" ? plot_output::png
                                                         : plot_output::latex;
    EXPECT_TRUE(is_complete_plot(format, bytes)) << each.device;
    for (std::size_t cut = 0; cut < bytes.size(); ++cut)
      ASSERT_FALSE(is_complete_plot(format, bytes.first(cut))) << each.device << " cut at " << cut;
  }
  const std::size_t reported = console.lines.size();
  postscript_map(x2, y2, ramp, {.filename = "Map.ps", .device = "null"});
  EXPECT_FALSE(fs::exists(folder / "Map.null"));
  EXPECT_EQ(console.lines.size(), reported) << "an output line for a file never written";
}

// The documented PGPLOT calls for a map of an evenly spaced grid, made
// straight from the values, into `name`.
void plot_directly(const std::string& name, const std::vector<float>& x,
                   const std::vector<float>& y, std::span<const float> z) {
  namespace pgplot = mapplot::pgplot;
  std::string device = name;
  device.resize(80, ' ');
  device += "/ps";
  const int nx = static_cast<int>(x.size()), ny = static_cast<int>(y.size());
  const float dx = (x.back() - x.front()) / static_cast<float>(nx - 1);
  const float dy = (y.back() - y.front()) / static_cast<float>(ny - 1);
  const pgplot::transform tr{x.front() - dx, dx, 0.0f, y.front() - dy, 0.0f, dy};
  const std::array<float, 2> ramp{0.0f, 1.0f};
  const auto [low, high] = std::minmax_element(z.begin(), z.begin() + nx * ny);
  pgplot::begin(0, device, 1, 1);
  pgplot::scf(2);
  pgplot::slw(3);
  pgplot::svp(0.12f, 0.83f, 0.12f, 0.88f);
  pgplot::wnad(x.front(), x.back(), y.front(), y.back());
  pgplot::bbuf();
  pgplot::ctab(ramp, ramp, ramp, ramp, 1.0f, 0.5f);
  pgplot::imag(z, nx, ny, 1, nx, 1, ny, *low, *high, tr);
  pgplot::ebuf();
  pgplot::sci(0);
  pgplot::sci(1);
  pgplot::sls(1);
  pgplot::slw(1);
  pgplot::sci(1);
  pgplot::line(std::array{x.front(), x.front(), x.back(), x.back(), x.front()},
               std::array{y.front(), y.back(), y.back(), y.front(), y.front()});
  pgplot::box("bcnts", 0.0f, 0, "bcnts", 0.0f, 0);
  pgplot::sch(0.8f);
  pgplot::wedg("ri", 3.0f, 4.0f, *low, *high, " ");
  pgplot::sci(1);
  pgplot::sch(1.0f);
  pgplot::slw(3);
  pgplot::label("x", "y", "Representation of z=z(x,y)");
  pgplot::sci(0);
  pgplot::slw(3);
  pgplot::end();
}

// What the map adds to PGPLOT's own calls for plain single values is the
// checks and the safe file, not one byte of the plot: flat or as a grid,
// with surplus values or without.
TEST_F(PlotFile, SingleValuesGiveTheFileOfTheSamePgplotCallsMadeDirectly) {
  std::vector<float> x(37), y(23), z(37 * 23 + 9);
  for (std::size_t k = 0; k < x.size(); ++k) x[k] = 0.25f * static_cast<float>(k) - 3;
  for (std::size_t k = 0; k < y.size(); ++k) y[k] = 0.5f * static_cast<float>(k);
  for (std::size_t k = 0; k < z.size(); ++k)
    z[k] = std::sin(0.37f * static_cast<float>(k)) * 3 + 0.01f * static_cast<float>(k);
  const std::span<const float> exact(z.data(), x.size() * y.size());
  plot_directly("direct.ps", x, y, exact);
  const std::string direct = without_creation_date("direct.ps");
  ASSERT_THAT(direct, HasSubstr("%%EOF"));

  postscript_map(x, y, exact, {.filename = "flat.ps"});
  EXPECT_EQ(without_creation_date("flat.ps"), direct);
  postscript_map(x, y, z, {.filename = "surplus.ps"});
  EXPECT_EQ(without_creation_date("surplus.ps"), direct);
  postscript_map(x, y, grid_view<float>{z.data(), x.size(), y.size()}, {.filename = "grid.ps"});
  EXPECT_EQ(without_creation_date("grid.ps"), direct);
}

// A program on screen runs under the user's locale; its plot files must not
// change with it: no decimal commas in labels, and "gif" found under
// Turkish case rules.
TEST_F(PlotFile, TheUsersLocaleChangesNoPlotFile) {
  if (!testing::can_build_locales()) GTEST_SKIP() << "localedef is not installed";
  for (const char* locale : {testing::decimal_comma_locale, testing::turkish_locale}) {
    const auto problem = testing::build_test_locale(locale);
    ASSERT_FALSE(problem) << *problem;
  }
  const std::vector<float> x{0.25f, 0.5f, 0.75f}, y{-1.5f, 2.5f};
  const std::vector<float> z{-0.125f, 0.5f, 1.75f, 2.0f, 1e-3f, 3.5f};
  const auto write = [&](const char* name) {
    postscript_map(x, y, z, {.xlabel = "d = 0.5", .filename = name, .device = "vgif"});
    postscript_map(x, y, z, {.logscale = true, .filename = name, .device = "cps"});
  };
  write("c.ps");
  {
    testing::global_locale comma(testing::decimal_comma_locale);
    ASSERT_TRUE(comma.set());
    write("comma.ps");
  }
  {
    testing::global_locale turkish(testing::turkish_locale);
    ASSERT_TRUE(turkish.set());
    write("turkish.ps");
  }
  EXPECT_THAT(file_contents("c.cps"), HasSubstr("%!PS"));
  for (const char* other : {"comma", "turkish"}) {
    EXPECT_EQ(without_creation_date(std::string(other) + ".cps"), without_creation_date("c.cps"))
        << other;
    EXPECT_EQ(file_contents(std::string(other) + ".vgif"), file_contents("c.vgif")) << other;
  }
}

TEST_F(PlotFile, DefaultsWriteMapPsInTheWorkingFolder) {
  postscript_map(x2, y2, ramp);
  EXPECT_THAT(console.lines, ElementsAre("  Output in Map.ps"));
  EXPECT_THAT(file_contents(folder / "Map.ps"), HasSubstr("%%Orientation: Landscape"));
}

// Blanks around a file name are dropped, also after a name ending in "ps"
// has taken the device type; nothing inside the name changes.
TEST_F(PlotFile, BlanksAroundTheFileNameAreDropped) {
  postscript_map(x2, y2, ramp, {.filename = "  spaced.ps  "});
  postscript_map(x2, y2, ramp, {.filename = "  spaced.ps  ", .device = "cps"});
  postscript_map(x2, y2, ramp, {.filename = " two words.ps "});
  EXPECT_THAT(folder_entries(folder), ElementsAre("spaced.cps", "spaced.ps", "two words.ps"));
  EXPECT_THAT(console.lines, ElementsAre("  Output in spaced.ps", "  Output in spaced.cps",
                                         "  Output in two words.ps"));
}

TEST_F(PlotFile, UnwritableFilesThrowAfterTheirLineAndLeaveNothing) {
  EXPECT_THROW(postscript_map(x2, y2, ramp, {.filename = "Map.ps", .device = "nosuchdevice"}),
               std::invalid_argument);
  EXPECT_THAT(system_error_of([] { postscript_map(x2, y2, ramp, {.filename = "missing/m.ps"}); }),
              HasSubstr("\"missing/m.ps\""));
  std::ofstream(folder / "plain_file") << "x";
  EXPECT_THAT(
      system_error_of([] { postscript_map(x2, y2, ramp, {.filename = "plain_file/m.ps"}); }),
      HasSubstr(std::generic_category().message(ENOTDIR)));
  EXPECT_THAT(system_error_of([] { postscript_map(x2, y2, ramp, {.filename = "/dev/full"}); }),
              HasSubstr("\"/dev/full\""));
  EXPECT_THAT(console.lines, ElementsAre("  Cannot write plot file missing/m.ps",
                                         "  Cannot write plot file plain_file/m.ps",
                                         "  Cannot write plot file /dev/full"));
  EXPECT_THAT(folder_entries(), ElementsAre("plain_file"));
  EXPECT_TRUE(fs::is_character_file("/dev/full"));

  // PGPLOT is left closed: the next call works normally, a device included.
  postscript_map(x2, y2, ramp, {.filename = "/dev/null"});
  postscript_map(x2, y2, ramp, {.filename = "after.ps"});
  EXPECT_EQ(console.lines.back(), "  Output in after.ps");
  EXPECT_TRUE(render_postscript("after.ps"));
}

// A file size limit stops PGPLOT's writes part way, as a full disk would;
// PGPLOT does not say so, the file's missing end does.
TEST_F(PlotFile, AWriteThatStopsPartWayKeepsTheEarlierFileByteForByte) {
  constexpr int side = 120;
  std::vector<float> axis(side), values(side * side);
  for (int k = 0; k < side; ++k) axis[k] = static_cast<float>(k);
  for (int k = 0; k < side * side; ++k) values[k] = static_cast<float>(k % 13);
  postscript_map(axis, axis, values, {.filename = "keep.ps"});
  const std::string earlier = file_contents("keep.ps");
  ASSERT_GT(earlier.size(), 40000u);

  rlimit previous;
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &previous), 0);
  const auto previous_handler = ::signal(SIGXFSZ, SIG_IGN);
  rlimit small = previous;
  small.rlim_cur = 20480;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const std::string message = system_error_of(
      [&] { postscript_map(axis, axis, values, {.title = "second", .filename = "keep.ps"}); });
  ::setrlimit(RLIMIT_FSIZE, &previous);
  ::signal(SIGXFSZ, previous_handler);

  EXPECT_THAT(message, HasSubstr("\"keep.ps\""));
  EXPECT_THAT(message, HasSubstr(std::generic_category().message(EFBIG)));
  EXPECT_EQ(file_contents("keep.ps"), earlier);
  EXPECT_THAT(folder_entries(), ElementsAre("keep.ps"));
  EXPECT_THAT(console.lines,
              ElementsAre("  Output in keep.ps", "  Cannot write plot file keep.ps"));
}

// PGPLOT reads a name starting with "?" as a prompt on standard input and
// "-" as standard output. Both must be plain files; standard input is left
// unread and standard output untouched.
TEST_F(PlotFile, PromptAndStandardOutputNamesAreFiles) {
  int input[2];
  ASSERT_EQ(::pipe(input), 0);
  const std::string injected = "injected.ps/cps\n";
  ASSERT_EQ(::write(input[1], injected.data(), injected.size()),
            static_cast<ssize_t>(injected.size()));
  ::close(input[1]);
  const int saved_input = ::dup(0), saved_output = ::dup(1);
  const int output = ::open("standard_output", O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ::dup2(input[0], 0);
  ::dup2(output, 1);
  postscript_map(x2, y2, ramp, {.filename = "?Device:"});
  postscript_map(x2, y2, ramp, {.filename = "-"});
  std::fflush(stdout);
  char unread[64] = {};
  const ssize_t left = ::read(0, unread, sizeof unread);
  ::dup2(saved_input, 0);
  ::dup2(saved_output, 1);
  for (const int descriptor : {input[0], saved_input, saved_output, output}) ::close(descriptor);

  EXPECT_EQ(std::string(unread, std::max<ssize_t>(left, 0)), injected);
  EXPECT_EQ(file_contents("standard_output"), "");
  EXPECT_THAT(folder_entries(), ElementsAre("-", "?Device:", "standard_output"));
  EXPECT_THAT(console.lines, ElementsAre("  Output in ?Device:", "  Output in -"));
  EXPECT_TRUE(render_postscript("?Device:"));
  EXPECT_TRUE(render_postscript("./-"));
}

// A FIFO under the name gets the finished file, copied in; it stays a FIFO.
TEST_F(PlotFile, AFifoGetsTheWholeFileAndStaysAFifo) {
  ASSERT_EQ(::mkfifo("pipe.ps", 0644), 0);
  std::string received;
  std::thread reader([&received] { received = file_contents("pipe.ps"); });
  postscript_map(x2, y2, ramp, {.filename = "pipe.ps"});
  reader.join();
  EXPECT_TRUE(fs::is_fifo("pipe.ps"));
  EXPECT_THAT(received, ::testing::StartsWith("%!PS"));
  EXPECT_THAT(received, ::testing::EndsWith("%%EOF\n"));
  EXPECT_THAT(console.lines, ElementsAre("  Output in pipe.ps"));
  EXPECT_THAT(folder_entries(), ElementsAre("pipe.ps"));
}

TEST_F(PlotFile, LinksAreWrittenThroughEvenWhenTheyPointAtNothingYet) {
  fs::create_symlink("made.ps", "link.ps");
  postscript_map(x2, y2, ramp, {.filename = "link.ps"});
  EXPECT_TRUE(fs::is_symlink("link.ps"));
  EXPECT_TRUE(render_postscript("made.ps"));
  EXPECT_THAT(console.lines, ElementsAre("  Output in link.ps"));
}

// Two processes writing one plot file at once: whichever finishes last
// leaves its file, whole; neither leaves a temporary file.
TEST_F(PlotFile, TwoProcessesWritingOneFileLeaveOneWholeFile) {
  constexpr int side = 60;
  std::vector<float> axis(side), values(side * side);
  for (int k = 0; k < side; ++k) axis[k] = static_cast<float>(k);
  for (int k = 0; k < side * side; ++k) values[k] = static_cast<float>(k % 7);
  const auto write = [&](const char* title) {
    postscript_map(axis, axis, values, {.title = title, .filename = "same.ps"});
  };
  write("first");
  const std::string first = without_creation_date("same.ps");
  write("second");
  const std::string second = without_creation_date("same.ps");

  for (int round = 0; round < 6; ++round) {
    EXPECT_TRUE(testing::run_side_by_side([&](int which) {
      for (int repeat = 0; repeat < 3; ++repeat) write(which == 0 ? "first" : "second");
    }));
    const std::string left = without_creation_date("same.ps");
    EXPECT_TRUE(left == first || left == second) << "round " << round;
    EXPECT_THAT(folder_entries(), ElementsAre("same.ps")) << "round " << round;
  }
  EXPECT_TRUE(render_postscript("same.ps"));
}

// Whatever the input, a plot file reported written is one Ghostscript renders.
TEST_F(PlotFile, EveryFileReportedWrittenRenders) {
  const float nan = NAN, inf = INFINITY, big = FLT_MAX;
  struct request {
    std::vector<float> x, y, z;
  };
  const std::vector<request> requests{
      {{1, 1, 1}, {0, 1}, {1, 2, 3, 4, 5, 6}},
      {{nan, 1, 2}, {0, 1}, {1, 2, 3, 4, 5, 6}},
      {{0, inf}, {0, 1}, {1, 2, 3, 4}},
      {{-big, big}, {0, 1}, {1, 2, 3, 4}},
      {{0, 3e38f}, {0, 3e38f}, {1, 2, 3, 4}},
      {{0, 1e-44f}, {0, 1}, {1, 2, 3, 4}},
      {{0, 1}, {0, 1}, {-big, big, 0, 1}},
      {{0, 1}, {0, 1}, {big, big, big, big}},
      {{0, 1}, {0, 1}, {0, 1e-40f, 0, 0}},
      {{0, 1}, {0, 1}, {nan, nan, nan, inf}},
      {{1e30f}, {7}, {1}},
      {{0, 1, 2}, {0, 1, 2}, {1, 2, 3, 4}},
      {{-1, 1}, {-1, 1}, {-inf, inf, 1e38f, -3e38f}},
  };
  for (std::size_t k = 0; k < requests.size(); ++k) {
    const std::string name = "case" + std::to_string(k) + ".ps";
    console.lines.clear();
    postscript_map(requests[k].x, requests[k].y, requests[k].z, {.filename = name});
    ASSERT_EQ(console.lines.back(), "  Output in " + name);
    EXPECT_TRUE(render_postscript(name)) << name;
    const std::string written = file_contents(name);
    EXPECT_EQ(written.find("Infinity"), std::string::npos) << name;
    EXPECT_EQ(written.find("NaN"), std::string::npos) << name;
  }
}

// PGPLOT cuts names at 90 characters; neither a long name nor a long
// folder path may reach it.
TEST_F(PlotFile, LongNamesAndLongFolderPathsAreUsedWhole) {
  const std::string name = std::string(150, 'n') + ".ps";
  postscript_map(x2, y2, ramp, {.filename = name, .device = "vps"});
  const std::string written = name.substr(0, name.size() - 2) + "vps";
  EXPECT_THAT(console.lines, ElementsAre("  Output in " + written));
  const auto page = render_postscript(written);
  ASSERT_TRUE(page);
  EXPECT_TRUE(find_cells(*page));
  EXPECT_EQ(folder_entries().size(), 2u) << "the file and its rendering, nothing else";

  const fs::path deep = folder / std::string(100, 'd') / std::string(100, 'e');
  fs::create_directories(deep);
  console.lines.clear();
  postscript_map(x2, y2, ramp, {.filename = (deep / "deep.ps").string()});
  EXPECT_THAT(console.lines, ElementsAre("  Output in " + (deep / "deep.ps").string()));
  EXPECT_THAT(folder_entries(deep), ElementsAre("deep.ps"));
  EXPECT_TRUE(render_postscript((deep / "deep.ps").string()));

  console.lines.clear();
  const std::string unreachable = "missing/" + std::string(150, 'm') + ".ps";
  EXPECT_THROW(postscript_map(x2, y2, ramp, {.filename = unreachable}), std::system_error);
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
