#pragma once

#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

namespace mapplot::testing {

// Locales that differ from "C" where text output could go wrong: a decimal
// comma (de_DE) and a case rule that keeps 'i' as it is (tr_TR).
inline constexpr const char* decimal_comma_locale = "de_DE.UTF-8";
inline constexpr const char* turkish_locale = "tr_TR.UTF-8";

// Whether localedef is there to build locales with.
inline bool can_build_locales() {
  return std::system("command -v localedef >/dev/null 2>&1") == 0;
}

// Builds the locale `name` ("de_DE.UTF-8") with localedef into a folder of
// the build tree once, and points LOCPATH there so that setlocale finds it,
// whatever the machine has installed. Empty when it is built; otherwise why
// not.
inline std::optional<std::string> build_test_locale(const std::string& name) {
  namespace fs = std::filesystem;
  const fs::path folder = fs::path(MAPPLOT_BINARY_DIR) / "test-locales";
  const fs::path built = folder / name;
  std::error_code error;
  fs::create_directories(folder, error);
  if (!fs::exists(built / "LC_NUMERIC")) {
    const std::string source = name.substr(0, name.find('.'));
    const std::string charmap = name.substr(name.find('.') + 1);
    // Built beside its place and renamed, so tests running side by side never
    // see half a locale.
    const fs::path staging = folder / (name + ".building-" + std::to_string(::getpid()));
    const std::string command =
        "localedef -i " + source + " -f " + charmap + " '" + staging.string() + "' >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    // localedef exits 1 when it only warned; the locale is written all the same.
    if (!fs::exists(staging / "LC_NUMERIC")) {
      fs::remove_all(staging, error);
      return "localedef could not build " + name + " (status " + std::to_string(status) +
             "; is it installed, with the locales package's sources?)";
    }
    fs::rename(staging, built, error);
    if (error) fs::remove_all(staging, error);  // another test built it first
  }
  ::setenv("LOCPATH", folder.c_str(), 1);
  return std::nullopt;
}

// The global locale set to `name` while the object lives, "C" again after.
class global_locale {
 public:
  explicit global_locale(const char* name) : set_(std::setlocale(LC_ALL, name) != nullptr) {}
  ~global_locale() { std::setlocale(LC_ALL, "C"); }
  global_locale(const global_locale&) = delete;
  global_locale& operator=(const global_locale&) = delete;

  bool set() const { return set_; }

 private:
  bool set_;
};

}  // namespace mapplot::testing
