// The plot file as PGPLOT writes it: the path PGPLOT gets, and the check that
// only a whole file of the device's format takes the name.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "psmap/plot_completeness.hpp"
#include "psmap/plot_file.hpp"
#include "scratch_folder.hpp"

namespace mapplot {
namespace {

// `text` with its first bytes overwritten by `start`. Copied byte by byte, as
// GCC 12 at -O3 flags both a concatenation that inserts in front and replace().
std::string with_start(std::string text, std::string_view start) {
  for (std::size_t k = 0; k < start.size() && k < text.size(); ++k) text[k] = start[k];
  return text;
}

namespace fs = std::filesystem;
using testing::file_contents;
using testing::names_in;

// Whole files of each format, as small as they come.
const std::string whole_postscript = "%!PS-Adobe-3.0\n%%Pages: 1\n%%EOF\n";
const std::string whole_latex = "\\begin{picture}(1,1)\n\\end{picture}\n";
const std::string whole_png = std::string("\x89PNG\r\n\x1a\n", 8) +
                              std::string("\0\0\0\x0dIHDR", 8) + std::string(13 + 4, '\0') +
                              std::string("\0\0\0\0IEND\xae\x42\x60\x82", 12);
// Header, screen, a graphic control extension, one image, trailer.
const std::string whole_gif = std::string("GIF89a\x01\0\x01\0\x80\0\0", 13) + std::string(6, '\0') +
                              std::string("\x21\xf9\x04\0\0\0\0\0", 8) +
                              std::string("\x2c\0\0\0\0\x01\0\x01\0\0", 10) +
                              std::string("\x02\x02\x44\x01\0\x3b", 6);

std::string replaced(std::string text, std::string_view from, std::string_view to) {
  text.replace(text.rfind(from), from.size(), to);
  return text;
}

// Writes `bytes` where PGPLOT would and commits; the error, or none.
std::optional<std::system_error> plot_written_as(const std::string& name, plot_output format,
                                                 const std::string& bytes) {
  try {
    plot_file file(name);
    std::ofstream(file.pgplot_path(), std::ios::binary | std::ios::trunc) << bytes;
    file.commit(format);
  } catch (const std::system_error& failure) {
    return failure;
  }
  return std::nullopt;
}

// Damage that leaves the file's length alone or makes it longer is caught as
// surely as a file cut short.
TEST(PlotFileStaging, OnlyAWholeFileTakesTheNameDamagedOnesKeepTheEarlierFile) {
  const testing::scratch_folder scratch;
  struct damage {
    plot_output format;
    std::string whole, damaged, what;
  };
  const std::vector<damage> cases{
      {plot_output::postscript, whole_postscript, with_start(whole_postscript, "%%PS"),
       "no %!PS at its start"},
      {plot_output::postscript, whole_postscript, whole_postscript + "showpage\n",
       "more after %%EOF"},
      {plot_output::postscript, whole_postscript, whole_postscript.substr(0, 30), "no line end"},
      {plot_output::latex, whole_latex, whole_latex + "\n", "a line after its end"},
      {plot_output::png, whole_png, replaced(whole_png, "IEND", "IENQ"), "no IEND chunk"},
      {plot_output::png, whole_png, whole_png + '\0', "a byte after IEND"},
      {plot_output::png, whole_png, with_start(whole_png, "\x88"), "a damaged signature"},
      {plot_output::png, whole_png,
       replaced(whole_png, std::string("\0\0\0\x0dIHDR", 8), std::string("\0\0\0\x0eIHDR", 8)),
       "a chunk longer than the file"},
      {plot_output::gif, whole_gif, replaced(whole_gif, "\x3b", std::string(1, '\0')),
       "no trailer"},
      {plot_output::gif, whole_gif, whole_gif + "\x3b", "a byte after the trailer"},
      {plot_output::gif, whole_gif, with_start(whole_gif, "GIF89b"), "a damaged header"},
      {plot_output::gif, whole_gif, replaced(whole_gif, "\x04", "\x09"),
       "an extension running past the end"},
  };
  for (const damage& each : cases) {
    std::ofstream("Map.out") << "earlier";
    const auto failure = plot_written_as("Map.out", each.format, each.damaged);
    ASSERT_TRUE(failure) << each.what << " was taken as whole";
    EXPECT_EQ(failure->code().value(), EIO) << each.what;
    EXPECT_NE(std::string(failure->what()).find("\"Map.out\" (left incomplete)"), std::string::npos)
        << failure->what();
    EXPECT_EQ(file_contents("Map.out"), "earlier") << each.what;
    EXPECT_EQ(names_in("."), std::set<std::string>{"Map.out"}) << each.what;

    EXPECT_FALSE(plot_written_as("Map.out", each.format, each.whole)) << each.what;
    EXPECT_EQ(file_contents("Map.out"), each.whole) << each.what;
  }
}

// PGPLOT cuts long names and reads meaning into some characters: the path it
// gets is at most 80 plain characters, the folder reached through
// /proc/self/fd when its own path would not do; the file lands all the same.
TEST(PlotFileStaging, PgplotGetsAtMostEightyPlainCharacters) {
  const testing::scratch_folder scratch;
  std::vector<std::string> folders;
  for (std::size_t length = 40; length <= 90; ++length) folders.push_back(std::string(length, 'f'));
  folders.push_back("with space");
  folders.push_back("?prompt");
  for (const std::string& folder : folders) {
    fs::create_directory(folder);
    plot_file file(folder + "/Map.ps");
    const std::string path = file.pgplot_path();
    const std::string name = path.substr(path.rfind('/') + 1);
    const std::string plain = "./" + folder + "/" + name;
    const bool plain_fits = plain.size() <= plot_file::pgplot_path_limit &&
                            plain.find_first_of(" ?") == std::string::npos;
    if (plain_fits) {
      EXPECT_EQ(path, plain);
    } else {
      EXPECT_TRUE(path.starts_with("/proc/self/fd/")) << path;
    }
    EXPECT_LE(path.size(), plot_file::pgplot_path_limit) << path;
    EXPECT_TRUE(std::all_of(path.begin(), path.end(), [](char c) {
      return std::isalnum(static_cast<unsigned char>(c)) || c == '/' || c == '.' || c == '_' ||
             c == '-';
    })) << path;
    std::ofstream(path, std::ios::trunc) << whole_postscript;
    file.commit(plot_output::postscript);
    EXPECT_EQ(file_contents(folder + "/Map.ps"), whole_postscript) << folder;
    EXPECT_EQ(names_in(folder), std::set<std::string>{"Map.ps"}) << folder;
  }
}

}  // namespace
}  // namespace mapplot
