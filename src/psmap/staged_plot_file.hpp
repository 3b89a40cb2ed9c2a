#pragma once

#include <string>
#include <string_view>

namespace mapplot {

// A plot file that PGPLOT writes under a short temporary name and that is
// moved to its real name when complete. PGPLOT silently cuts file names
// longer than 90 characters, so long names go this way. The temporary file
// is removed when the object goes, whatever happened.
class staged_plot_file {
 public:
  staged_plot_file();
  ~staged_plot_file();
  staged_plot_file(const staged_plot_file&) = delete;
  staged_plot_file& operator=(const staged_plot_file&) = delete;

  // False when no temporary file could be made.
  bool created() const { return !temporary_path_.empty(); }
  const std::string& temporary_path() const { return temporary_path_; }

  // Moves what PGPLOT wrote to `target`, replacing it. A device that wrote
  // nothing leaves no file behind. False when the file cannot be put there.
  bool move_to(std::string_view target);

 private:
  std::string temporary_path_;
};

}  // namespace mapplot
