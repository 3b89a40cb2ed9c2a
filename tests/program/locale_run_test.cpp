// julia_zoom under the locales of users who write a decimal comma or follow
// Turkish case rules: Qt sets the program's locale from the environment, and
// neither its console lines nor its window may change with it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "child_process.hpp"
#include "scratch_folder.hpp"
#include "test_locales.hpp"

namespace mapplot::testing {
namespace {

struct zoom_run {
  std::string console;
  std::string picture;  // the PNG of window 101, byte for byte
};

zoom_run run_zoom_under(const std::string& locale) {
  const scratch_folder scratch;
  const std::string folder = scratch.path();
  const auto result = run_process(
      {.arguments = {JULIA_ZOOM_PROGRAM},
       .unset_environment = {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "LANG", "LANGUAGE"},
       .set_environment = {"LC_ALL=" + locale, std::string("LOCPATH=") + std::getenv("LOCPATH")},
       .working_directory = folder,
       .timeout = std::chrono::seconds(600)});
  EXPECT_FALSE(result.timed_out) << locale;
  EXPECT_EQ(result.exit_status, 0) << locale << ": " << result.standard_error;
  std::string path;
  std::istringstream words(result.standard_error);
  for (std::string word; words >> word;)
    if (word.ends_with(".png")) path = word;
  if (!path.empty() && path.front() != '/') path = folder + "/" + path;
  return {result.standard_output, path.empty() ? std::string() : read_file(path)};
}

TEST(LocaleRun, TheZoomIsTheSameUnderEveryLocale) {
  if (!can_build_locales()) GTEST_SKIP() << "localedef is not installed";
  for (const char* locale : {decimal_comma_locale, turkish_locale}) {
    const auto problem = build_test_locale(locale);
    ASSERT_FALSE(problem) << *problem;
  }
  const zoom_run plain = run_zoom_under("C");
  ASSERT_FALSE(plain.picture.empty());
  ASSERT_EQ(plain.console.size(), 335u * 35u);
  for (const char* locale : {decimal_comma_locale, turkish_locale}) {
    const zoom_run other = run_zoom_under(locale);
    EXPECT_TRUE(other.console == plain.console) << locale << ":\n" << other.console.substr(0, 200);
    EXPECT_TRUE(other.picture == plain.picture) << locale << ": the last frame differs";
  }
}

}  // namespace
}  // namespace mapplot::testing
