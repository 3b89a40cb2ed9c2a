#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "internal_api.hpp"

namespace mapplot {

// The one way the outputs write a file, data files and plot files alike.
//
// What it promises:
// - The file appears under its name only when complete. It is written under
//   a temporary name in the target's own folder, checked, flushed to the disk
//   (fsync), renamed over the target in one step, and the folder is synced.
//   Two writers of the same name at once leave one of their files, whole.
// - A call that fails keeps an earlier file of that name byte for byte and
//   leaves no temporary file anywhere.
// - The name is a path and nothing else: "-" or "?x" name files like any
//   other, and it is never cut.
// - A symbolic link is written through and stays a link, a dangling one too:
//   the file goes where the link points, as any program writing the name
//   would put it.
// - A target that exists and is not a regular file (a device, a FIFO) is
//   written in place, every write checked.
// Failures throw std::system_error naming the file and the reason; an empty
// name or one holding a NUL byte throws std::invalid_argument.
class output_file {
 public:
  // Who writes the bytes: this process through write(), or a library (PGPLOT)
  // that opens the file by the path staging_path() gives.
  enum class writer { this_process, library };

  // `kind` names the file in messages: "data file", "plot file".
  MAPPLOT_INTERNAL_API output_file(std::string_view name, std::string_view kind, writer who);

  // What the constructor checks first, for callers that must reject a name
  // before doing anything else: std::invalid_argument for an empty name or
  // one holding a NUL byte.
  MAPPLOT_INTERNAL_API static void check_name(std::string_view name, std::string_view kind);
  MAPPLOT_INTERNAL_API ~output_file();
  output_file(const output_file&) = delete;
  output_file& operator=(const output_file&) = delete;

  // The temporary file's path for writer::library: at most 80 characters of
  // letters, digits and "/._-", starting with "/" or "./", so that a library
  // that cuts long names or reads meaning into some characters gets it
  // whole and literally.
  const std::string& staging_path() const { return staging_path_; }

  // Appends bytes (writer::this_process).
  MAPPLOT_INTERNAL_API void write(std::string_view bytes);

  // Puts the finished file in place. For writer::library, `complete` is shown
  // the whole file as the library left it and says whether it is complete;
  // an incomplete file is a failed write.
  using completeness_check = std::function<bool(std::span<const unsigned char>)>;
  MAPPLOT_INTERNAL_API void commit(const completeness_check& complete = {});

  static constexpr std::size_t staging_path_limit = 80;

 private:
  void prepare();
  void release();
  void close_checked(int& descriptor);
  void open_direct_target(const std::string& path);
  // Mode and owner of the file being replaced, which its successor keeps.
  struct ownership {
    unsigned mode;
    unsigned user;
    unsigned group;
  };
  void create_temporary(const std::string& folder, const std::optional<ownership>& replaced);
  void flush_buffer();
  void write_all(int descriptor, const unsigned char* bytes, std::size_t size);
  void check_library_file(const completeness_check& complete);
  void put_in_place();
  [[noreturn]] void fail(int error_number, std::string_view action,
                         std::string_view detail = {}) const;

  std::string name_;
  std::string kind_;
  writer who_;
  bool direct_ = false;  // the target is a device or FIFO, written in place
  int target_ = -1;      // that target, open for writing
  int folder_ = -1;      // the temporary file's folder
  bool folder_syncable_ = false;
  std::string temporary_name_;  // relative to folder_, while it exists
  std::string final_name_;      // the target's name in folder_
  int file_ = -1;               // what write() writes to
  std::string staging_path_;
  std::unique_ptr<char[]> buffer_;
  std::size_t buffered_ = 0;
};

}  // namespace mapplot
