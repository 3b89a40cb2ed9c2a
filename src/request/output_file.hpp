#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "internal_api.hpp"
#include "request/temporary_files.hpp"

namespace mapplot {

// The one way the outputs write a file: data files, plot files, pictures and
// videos alike.
//
// What it promises:
// - The file appears under its name only when complete. It is written under
//   a temporary name in the target's own folder, flushed to the disk
//   (fsync), renamed over the target in one step, and the folder is synced.
//   Two writers of the same name at once leave one of their files, whole.
// - A call that fails keeps an earlier file of that name byte for byte and
//   leaves no temporary file anywhere, a fatal signal included (see
//   temporary_files.hpp). The new file keeps the earlier one's mode and,
//   where allowed, its owner.
// - Once the file has its name, only the folder's sync can still fail. The
//   file is then complete, but its folder entry may not survive a crash:
//   commit() succeeds after the console line
//   " Warning: folder entry of <name> may not be durable (<reason>)".
// - The name is a path and nothing else: "-" or "?x" name files like any
//   other, and it is never cut.
// - A symbolic link is written through and stays a link, a dangling one too;
//   a relative link is followed from the link's own folder.
// - A target that exists and is not a regular file (a device, a FIFO) is
//   written in place and never replaced, every write checked. A FIFO waits
//   up to fifo_reader_wait (60 s, as long as a video encoder may take
//   nothing) for a process to open it for reading, then fails with ENXIO:
//   a reader that comes late cannot be told from none, and a run must not
//   hang on a forgotten one. Once open, a write waits for a slow reader as
//   long as it takes. Both
//   waits end at once when the program is cancelled (a window closed, a
//   signal), which they throw (request/wait_cancellation.hpp).
// - A regular file that this process may not write (a 0444 file, say) fails
//   as opening it would (EACCES), even where the folder would let a rename
//   replace it.
// Failures throw std::system_error naming the file and the reason; an empty
// name or one holding a NUL byte throws std::invalid_argument.
class output_file {
 public:
  // Who writes the bytes: this process through write(), or someone else (a
  // library, a child program) that opens the temporary file by its path.
  enum class writer { this_process, by_path };

  // How long opening a FIFO waits for a process to read it.
  static constexpr std::chrono::seconds fifo_reader_wait{60};

  // `kind` names the file in messages: "data file", "plot file".
  MAPPLOT_INTERNAL_API output_file(std::string_view name, std::string_view kind, writer who);
  MAPPLOT_INTERNAL_API ~output_file();
  output_file(const output_file&) = delete;
  output_file& operator=(const output_file&) = delete;

  // What the constructor checks first, for callers that must reject a name
  // before doing anything else.
  MAPPLOT_INTERNAL_API static void check_name(std::string_view name, std::string_view kind);

  // writer::by_path: the temporary file, empty and ready to be written over.
  // Its path from the current folder, and the same as its folder (an open
  // descriptor, valid while this object lives) and its name in it. For a
  // device or FIFO target it lies in the temporary folder and is copied into
  // the target by commit().
  const std::string& temporary_path() const { return temporary_path_; }
  int temporary_folder() const { return folder_; }
  const std::string& temporary_name() const { return temporary_name_; }

  // Appends bytes (writer::this_process).
  MAPPLOT_INTERNAL_API void write(std::string_view bytes);

  // Puts the finished file in place. A by_path writer's caller checks the
  // file complete first; commit() takes it as it is.
  MAPPLOT_INTERNAL_API void commit();

  // Throws the std::system_error of a failure to write this file:
  // "<action> <kind> "<name>"<detail>: <reason>".
  [[noreturn]] MAPPLOT_INTERNAL_API void fail(int error_number, std::string_view action,
                                              std::string_view detail = {}) const;

 private:
  void prepare();
  void release() noexcept;
  void open_direct_target(const std::string& path, bool fifo);
  int open_fifo(const std::string& path);
  struct ownership {
    unsigned mode;
    unsigned user;
    unsigned group;
  };
  void create_temporary(const std::string& folder, const ownership* replaced);
  void flush_buffer();
  void write_all(int descriptor, const char* bytes, std::size_t size);
  void copy_temporary_into_target();
  void sync_temporary();
  void put_in_place();
  void close_checked(int& descriptor);

  std::string name_;
  std::string kind_;
  writer who_;
  bool direct_ = false;  // the target is a device or FIFO, written in place
  int target_ = -1;      // that target, open for writing
  int folder_ = -1;      // the temporary file's folder
  bool folder_syncable_ = false;
  std::string temporary_name_;  // in folder_, while it exists
  std::string temporary_path_;
  std::string final_name_;  // the target's name in folder_
  temporary_registration registration_;
  int file_ = -1;  // what write() writes to
  std::unique_ptr<char[]> buffer_;
  std::size_t buffered_ = 0;
};

}  // namespace mapplot
