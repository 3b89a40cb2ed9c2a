// Choosing the PGPLOT device from the name a caller gives, as PGPLOT would.
#include "psmap/device_type.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "recorded_pgplot.hpp"
#include "test_locales.hpp"

namespace mapplot {
namespace {

using ::testing::HasSubstr;

std::string chosen(std::string_view requested, const std::vector<std::string>& known) {
  return choose_device(requested, known).type;
}

std::string refusal(std::string_view requested, const std::vector<std::string>& known) {
  try {
    choose_device(requested, known);
  } catch (const std::invalid_argument& error) {
    return error.what();
  }
  return "accepted";
}

// An exact name wins over the longer names it begins; an abbreviation must
// fit one name only, or the caller gets neither.
TEST(DeviceType, AnAbbreviationMustFitOneNameOnly) {
  const auto& pgplot = recorded_pgplot::pgplot_device_list();
  EXPECT_EQ(chosen(" vCp ", pgplot), "VCPS");
  EXPECT_THAT(refusal("hp", pgplot), HasSubstr("is ambiguous"));  // HPGL, HPGL2, HP7221
  EXPECT_THAT(refusal("cg", pgplot), HasSubstr("is ambiguous"));  // CGM, CGMD
  EXPECT_THAT(refusal("v", pgplot), HasSubstr("too short"));

  // A PGPLOT built with one more driver makes a short name that chose a
  // device elsewhere ambiguous, while the exact name still chooses.
  std::vector<std::string> more = pgplot;
  more.emplace_back("VPSL");
  EXPECT_EQ(chosen("vp", pgplot), "VPS");
  EXPECT_THAT(refusal("vp", more), HasSubstr("is ambiguous"));
  EXPECT_EQ(chosen("vps", more), "VPS");
  EXPECT_THAT(refusal("vpsl", more), HasSubstr("(VPSL) writes nothing mapplot can check"));
}

// The name reaches the device choice padded to its 80-character field; a
// refusal quotes it as the caller wrote it, padding gone.
TEST(DeviceType, RefusalsQuoteTheNameWithoutItsPadding) {
  const auto& pgplot = recorded_pgplot::pgplot_device_list();
  const std::string padded = "pdf" + std::string(77, ' ');
  EXPECT_EQ(refusal(padded, pgplot), "postscript_map: device type \"pdf\" is not one PGPLOT knows");
  EXPECT_EQ(refusal("  hp  " + std::string(74, ' '), pgplot),
            "postscript_map: device type \"hp\" is ambiguous");
  EXPECT_EQ(refusal(std::string(80, ' '), pgplot), "postscript_map: device type \"\" is blank");
}

// Device names follow ASCII case rules whatever the user's locale: Turkish
// upper-cases 'i' to a dotted capital that is no ASCII letter.
TEST(DeviceType, NamesWithAnIAreFoundUnderTheTurkishLocale) {
  if (!testing::can_build_locales()) GTEST_SKIP() << "localedef is not installed";
  const auto problem = testing::build_test_locale(testing::turkish_locale);
  ASSERT_FALSE(problem) << *problem;
  testing::global_locale turkish(testing::turkish_locale);
  ASSERT_TRUE(turkish.set());
  const auto& pgplot = recorded_pgplot::pgplot_device_list();
  EXPECT_EQ(chosen("gif", pgplot), "GIF");
  EXPECT_EQ(chosen("vgif", pgplot), "VGIF");
  EXPECT_EQ(chosen("xwindow", pgplot), "XWINDOW");
  EXPECT_EQ(chosen("Gi", pgplot), "GIF");
  EXPECT_THAT(refusal("gıf", pgplot), HasSubstr("is not one PGPLOT knows"));
}

}  // namespace
}  // namespace mapplot
