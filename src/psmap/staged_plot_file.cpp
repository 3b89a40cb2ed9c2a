#include "psmap/staged_plot_file.hpp"

#include <stdlib.h>

#include <filesystem>
#include <system_error>
#include <vector>

namespace mapplot {

// PGPLOT creates the file itself inside a private folder, so the file gets
// the permissions any other plot file gets.
staged_plot_file::staged_plot_file() {
  std::error_code error;
  std::filesystem::path parent = std::filesystem::temp_directory_path(error);
  if (error) parent = "/tmp";
  const std::string pattern = parent / "mapplot-XXXXXX";
  std::vector<char> folder(pattern.begin(), pattern.end());
  folder.push_back('\0');
  if (::mkdtemp(folder.data()) == nullptr) return;
  temporary_path_ = std::string(folder.data()) + "/plot";
}

staged_plot_file::~staged_plot_file() {
  if (!created()) return;
  std::error_code ignored;
  std::filesystem::remove_all(std::filesystem::path(temporary_path_).parent_path(), ignored);
}

bool staged_plot_file::move_to(std::string_view target) {
  std::error_code error;
  if (!std::filesystem::exists(temporary_path_, error)) return !error;
  const std::filesystem::path destination(target);
  std::filesystem::rename(temporary_path_, destination, error);
  if (!error) return true;
  // Across file systems a rename fails; a copy does the same job.
  error.clear();
  std::filesystem::copy_file(temporary_path_, destination,
                             std::filesystem::copy_options::overwrite_existing, error);
  return !error;
}

}  // namespace mapplot
