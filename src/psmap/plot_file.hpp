#pragma once

#include <string>
#include <string_view>

#include "psmap/device_type.hpp"
#include "request/output_file.hpp"

namespace mapplot {

// A plot file as PGPLOT writes it: written as every output file is, PGPLOT
// opening the temporary file by a path it takes literally, and the file read
// back and checked whole before it takes its name.
class plot_file {
 public:
  // Throws as output_file does.
  explicit plot_file(std::string_view name);

  // The temporary file's path for PGPLOT: at most 80 characters of letters,
  // digits and "/._-", starting with "/" or "./", since PGPLOT cuts long
  // names and reads meaning into some characters. A path that does not
  // qualify becomes the same folder through /proc/self/fd.
  const std::string& pgplot_path() const { return pgplot_path_; }

  // Reads the file back and puts it in place when it is a whole file of
  // `format` (see plot_completeness.hpp). A file PGPLOT left incomplete
  // throws std::system_error with the likeliest reason: EFBIG at the file
  // size limit, ENOSPC on a full disk, EIO otherwise.
  void commit(plot_output format);

  static constexpr std::size_t pgplot_path_limit = 80;

 private:
  output_file file_;
  std::string pgplot_path_;
};

}  // namespace mapplot
