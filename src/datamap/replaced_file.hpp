#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace mapplot {

// A file written through a fixed-size buffer that replaces its target only when
// complete. A regular (or new) target is written under a temporary name in the
// same folder and renamed over it by commit(); anything else that exists under
// the name (a device, a FIFO) is written directly, since renaming over it would
// replace the node itself. Every failure throws std::system_error naming the
// target; destroying an uncommitted file removes the temporary one and leaves
// the target as it was.
class replaced_file {
 public:
  static constexpr std::size_t buffer_size = 64 * 1024;

  explicit replaced_file(std::string target);
  ~replaced_file();
  replaced_file(const replaced_file&) = delete;
  replaced_file& operator=(const replaced_file&) = delete;

  void write(std::string_view bytes);
  // Writes out the buffer, closes the file and puts it in place of the target.
  void commit();

 private:
  void flush_buffer();
  void close_descriptor();
  [[noreturn]] void fail(int error_number, std::string_view action) const;

  std::string target_;
  std::string target_destination_;  // the target, a symbolic link followed
  std::string written_path_;        // the temporary name, or the target itself
  bool through_temporary_ = false;
  bool committed_ = false;
  int descriptor_ = -1;
  std::unique_ptr<char[]> buffer_;
  std::size_t buffered_ = 0;
};

}  // namespace mapplot
