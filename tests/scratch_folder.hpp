#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

namespace mapplot::testing {

// The bytes of the file at `path`; empty when it cannot be read.
inline std::string file_contents(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

// The names of what `folder` holds.
inline std::set<std::string> names_in(const std::filesystem::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    names.insert(entry.path().filename().string());
  return names;
}

// A fresh folder of its own under the temporary folder, removed with
// everything in it when the object goes.
class temporary_folder {
 public:
  temporary_folder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "mapplot-test-XXXXXX").string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (::mkdtemp(name.data()) == nullptr)
      throw std::system_error(errno, std::generic_category(), "mkdtemp");
    path_ = name.data();
  }
  ~temporary_folder() {
    std::error_code ignored;
    // Tests make folders read-only; removing needs them writable again.
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
  }
  temporary_folder(const temporary_folder&) = delete;
  temporary_folder& operator=(const temporary_folder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string name() const { return path_.string(); }

 private:
  std::filesystem::path path_;
};

// A temporary folder that is the working folder while it lives.
class scratch_folder {
 public:
  scratch_folder() : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(folder_.path());
  }
  ~scratch_folder() {
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
  }
  scratch_folder(const scratch_folder&) = delete;
  scratch_folder& operator=(const scratch_folder&) = delete;

  const std::filesystem::path& path() const { return folder_.path(); }

 private:
  std::filesystem::path previous_;
  temporary_folder folder_;
};

}  // namespace mapplot::testing
