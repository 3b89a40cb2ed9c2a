#include "psmap/postscript_request.hpp"
#include "request/complete_options.hpp"

#include <gtest/gtest.h>

#include <string>

namespace mapplot {
namespace {

std::string output_name(std::optional<std::string_view> file,
                        std::optional<std::string_view> device) {
  return resolve_postscript_fields({.filename = file, .device = device}).file_name;
}

TEST(OutputFileName, FollowsTheDeviceTypeOnlyForNamesEndingInLowerCasePs) {
  EXPECT_EQ(output_name(std::nullopt, std::nullopt), "Map.ps");
  EXPECT_EQ(output_name(std::nullopt, "cps"), "Map.cps");
  EXPECT_EQ(output_name(std::nullopt, "vcps"), "Map.vcps");
  EXPECT_EQ(output_name(std::nullopt, "ps"), "Map.ps");
  EXPECT_EQ(output_name("out.eps", "cps"), "out.ecps");
  EXPECT_EQ(output_name("plot.dat", "cps"), "plot.dat");
  EXPECT_EQ(output_name(std::nullopt, "PS"), "Map.PS");
  EXPECT_EQ(output_name("plot.PS", "cps"), "plot.PS");
}

TEST(OutputFileName, IgnoresTrailingBlanksButNotLeadingOnesOfTheDevice) {
  EXPECT_EQ(output_name("Map.ps   ", "cps  "), "Map.cps");
  EXPECT_EQ(output_name(std::nullopt, "ps    "), "Map.ps");
  EXPECT_EQ(output_name(std::nullopt, " ps"), "Map. ps");
}

TEST(OutputFileName, ShortNamesNeverMatch) {
  EXPECT_EQ(output_name("s", "cps"), "s");
  EXPECT_EQ(output_name("", "cps"), "");
  EXPECT_EQ(output_name("ps", "cps"), "cps");
}

TEST(OutputFileName, LongNamesAreKeptWhole) {
  const std::string long_name = std::string(120, 'n') + ".ps";
  EXPECT_EQ(output_name(long_name, std::nullopt), long_name);
  EXPECT_EQ(output_name(long_name, "cps"), std::string(120, 'n') + ".cps");
}

TEST(DeviceName, PadsTheFileNameToEightyCharacters) {
  const text_field ps = make_text_field("ps");
  EXPECT_EQ(device_name("Map.ps", ps), "Map.ps" + std::string(74, ' ') + "/ps");
  EXPECT_EQ(device_name("Map.ps", make_text_field("  cps  ")),
            "Map.ps" + std::string(74, ' ') + "/cps");
  const std::string long_name(100, 'l');
  EXPECT_EQ(device_name(long_name, ps), long_name + "/ps");
}

TEST(PostscriptFields, AppliesDefaultsTrimsLabelsAndKeepsTitleAsGiven) {
  const postscript_fields defaults = resolve_postscript_fields({});
  EXPECT_FALSE(defaults.logscale);
  EXPECT_EQ(defaults.xlabel.without_trailing_blanks(), "x");
  EXPECT_EQ(defaults.ylabel.without_trailing_blanks(), "y");
  EXPECT_EQ(defaults.title.without_trailing_blanks(), "Representation of z=z(x,y)");
  EXPECT_EQ(defaults.device.without_trailing_blanks(), "ps");

  const postscript_fields given =
      resolve_postscript_fields({.xlabel = "   depth  ", .ylabel = "   ", .title = "  T"});
  EXPECT_EQ(given.xlabel.whole(), "depth" + std::string(75, ' '));
  EXPECT_EQ(given.ylabel.whole(), std::string(80, ' '));
  EXPECT_EQ(given.title.without_trailing_blanks(), "  T");
}

TEST(PostscriptFields, LogarithmicTitle) {
  EXPECT_EQ(resolve_postscript_fields({.logscale = true}).title.without_trailing_blanks(),
            "log(Representation of z=z(x,y))");
  EXPECT_EQ(resolve_postscript_fields({.logscale = true, .title = "   depth "})
                .title.without_trailing_blanks(),
            "log(depth)");
  const std::string full(80, 'T');
  EXPECT_EQ(resolve_postscript_fields({.logscale = true, .title = full}).title.whole(),
            "log(" + std::string(76, 'T'));
}

TEST(CompleteOptions, ResolveToTheSameFieldsAsTheOriginal) {
  const std::string long_name = std::string(100, 'f') + ".ps";
  for (const postscript_options& options :
       {postscript_options{},
        postscript_options{.logscale = true, .xlabel = "  a ", .title = "  t", .device = "cps"},
        postscript_options{.ylabel = "", .filename = long_name}}) {
    const postscript_options complete = complete_options(options);
    EXPECT_TRUE(complete.logscale && complete.xlabel && complete.ylabel && complete.title &&
                complete.filename && complete.device);
    const postscript_fields direct = resolve_postscript_fields(options);
    const postscript_fields through = resolve_postscript_fields(complete);
    EXPECT_EQ(direct.logscale, through.logscale);
    EXPECT_EQ(direct.xlabel.whole(), through.xlabel.whole());
    EXPECT_EQ(direct.ylabel.whole(), through.ylabel.whole());
    EXPECT_EQ(direct.title.whole(), through.title.whole());
    EXPECT_EQ(direct.file_name, through.file_name);
    EXPECT_EQ(direct.device.whole(), through.device.whole());
  }
}

}  // namespace
}  // namespace mapplot
