#include "request/output_file.hpp"

#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <system_error>
#include <utility>

#include "request/wait_cancellation.hpp"
#include "textout/write_console.hpp"

namespace mapplot {
namespace {

constexpr std::size_t buffer_size = 64 * 1024;
constexpr int link_hops_limit = 40;

std::string folder_of(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string base_name_of(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A name shown in a message, with a NUL byte visible.
std::string printable(std::string_view name) {
  std::string shown;
  for (const char c : name) {
    if (c == '\0') {
      shown += "\\0";
    } else {
      shown += c;
    }
  }
  return shown;
}

// Where the bytes go: symbolic links followed as the kernel would follow them
// on opening the name for writing, including a last link that points at
// nothing yet. What cannot be looked at is left for the open to report.
std::string followed_links(std::string path, int& error_number) {
  error_number = 0;
  for (int hops = 0;; ++hops) {
    char target[PATH_MAX];
    const ssize_t length = ::readlink(path.c_str(), target, sizeof target);
    if (length < 0) return path;
    if (hops == link_hops_limit || static_cast<std::size_t>(length) == sizeof target) {
      error_number = hops == link_hops_limit ? ELOOP : ENAMETOOLONG;
      return path;
    }
    std::string next(target, static_cast<std::size_t>(length));
    // A relative link is relative to the folder that holds it.
    if (next.front() != '/') next = folder_of(path) + "/" + next;
    path = std::move(next);
  }
}

// A fresh temporary name; O_EXCL at creation settles any collision.
std::string fresh_temporary_name() {
  static std::atomic<unsigned> counter{0};
  return ".mapplot-" + std::to_string(::getpid()) + "-" + std::to_string(counter.fetch_add(1)) +
         ".tmp";
}

}  // namespace

output_file::output_file(std::string_view name, std::string_view kind, writer who)
    : name_(name), kind_(kind), who_(who) {
  check_name(name, kind);
  try {
    prepare();
  } catch (...) {
    release();
    throw;
  }
}

void output_file::check_name(std::string_view name, std::string_view kind) {
  if (name.empty()) throw std::invalid_argument(std::string(kind) + " name is empty");
  if (name.find('\0') != std::string_view::npos)
    throw std::invalid_argument(std::string(kind) + " name \"" + printable(name) +
                                "\" holds a NUL byte");
}

output_file::~output_file() {
  release();
}

void output_file::prepare() {
  int link_error = 0;
  const std::string path = followed_links(name_, link_error);
  if (link_error != 0) fail(link_error, "cannot open");

  struct stat status = {};
  const bool exists = ::stat(path.c_str(), &status) == 0;
  if (exists) {
    if (S_ISDIR(status.st_mode)) fail(EISDIR, "cannot write");
    if (!S_ISREG(status.st_mode)) {
      open_direct_target(path, S_ISFIFO(status.st_mode));
      return;
    }
    // Refused as opening it for writing would refuse it: replacing the file
    // by a rename would get round its protection.
    if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0 &&
        (errno == EACCES || errno == EPERM))
      fail(errno, "cannot write");
  } else if (errno != ENOENT) {
    fail(errno, "cannot create");
  }
  final_name_ = base_name_of(path);
  if (final_name_.empty() || final_name_ == "." || final_name_ == "..")
    fail(EISDIR, "cannot write");
  const ownership replaced{status.st_mode & 07777u, status.st_uid, status.st_gid};
  create_temporary(folder_of(path), exists ? &replaced : nullptr);
}

void output_file::release() noexcept {
  if (file_ >= 0) ::close(file_);
  if (target_ >= 0) ::close(target_);
  if (!temporary_name_.empty()) ::unlinkat(folder_, temporary_name_.c_str(), 0);
  registration_.reset();
  if (folder_ >= 0) ::close(folder_);
  file_ = target_ = folder_ = -1;
  temporary_name_.clear();
}

void output_file::open_direct_target(const std::string& path, bool fifo) {
  direct_ = true;
  target_ =
      fifo ? open_fifo(path) : ::open(path.c_str(), O_WRONLY | O_TRUNC | O_NOCTTY | O_CLOEXEC);
  if (target_ < 0) fail(errno, "cannot open");
  if (who_ == writer::this_process) {
    file_ = std::exchange(target_, -1);
    buffer_ = std::make_unique<char[]>(buffer_size);
    return;
  }
  // The other writer's file is copied into the target once complete, so it
  // may live anywhere; the temporary folder is the place for it.
  std::error_code unset;
  std::filesystem::path folder = std::filesystem::temp_directory_path(unset);
  if (unset) folder = "/tmp";
  create_temporary(folder.string(), nullptr);
}

int output_file::open_fifo(const std::string& path) {
  // Opened without blocking, which fails while no process reads the FIFO, and
  // tried again every tick: a blocking open could be ended by nothing.
  constexpr int tick_milliseconds = 50;
  const auto started = std::chrono::steady_clock::now();
  for (;;) {
    const int descriptor = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor >= 0) return descriptor;  // kept non-blocking: write_all waits cancellably
    if (errno == EINTR) continue;
    if (errno != ENXIO) return -1;
    if (std::chrono::steady_clock::now() - started >= fifo_reader_wait)
      fail(ENXIO, "cannot open",
           " (no process opened this FIFO for reading within " +
               std::to_string(fifo_reader_wait.count()) + " s)");
    (void)wait_cancellably(-1, 0, tick_milliseconds);
  }
}

void output_file::create_temporary(const std::string& folder, const ownership* replaced) {
  folder_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  folder_syncable_ = folder_ >= 0;
  // A folder one may write to but not list can still take the file.
  if (folder_ < 0 && errno == EACCES)
    folder_ = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (folder_ < 0) fail(errno, "cannot create");

  int descriptor = -1;
  for (int attempt = 0; attempt < 100 && descriptor < 0; ++attempt) {
    const std::string candidate = fresh_temporary_name();
    // Registered before it exists, so that no moment leaves it unprotected.
    registration_ = temporary_registration(register_temporary_file(folder_, candidate));
    descriptor = ::openat(folder_, candidate.c_str(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, 0666);
    if (descriptor >= 0) {
      temporary_name_ = candidate;
      break;
    }
    const int error_number = errno;
    registration_.reset();
    if (error_number != EEXIST) fail(error_number, "cannot create");
  }
  if (descriptor < 0) fail(EEXIST, "cannot create");
  if (replaced != nullptr) {
    // The new file keeps the old one's permissions and, where allowed, its
    // owner; failing that is no reason to lose the data.
    (void)::fchmod(descriptor, replaced->mode);
    (void)::fchown(descriptor, replaced->user, replaced->group);
  }
  temporary_path_ = (folder == "/" ? "" : folder) + "/" + temporary_name_;

  if (who_ == writer::this_process) {
    file_ = descriptor;
    buffer_ = std::make_unique<char[]>(buffer_size);
  } else {
    ::close(descriptor);
  }
}

void output_file::write(std::string_view bytes) {
  while (!bytes.empty()) {
    if (buffered_ == buffer_size) flush_buffer();
    const std::size_t room = std::min(buffer_size - buffered_, bytes.size());
    std::memcpy(buffer_.get() + buffered_, bytes.data(), room);
    buffered_ += room;
    bytes.remove_prefix(room);
  }
}

void output_file::flush_buffer() {
  write_all(file_, buffer_.get(), buffered_);
  buffered_ = 0;
}

void output_file::write_all(int descriptor, const char* bytes, std::size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(descriptor, bytes, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      // A FIFO whose reader is slow: as long as it takes, or until cancelled.
      if (errno == EAGAIN) {
        (void)wait_cancellably(descriptor, POLLOUT, -1);
        continue;
      }
      fail(errno, "cannot write");
    }
    if (written == 0) fail(ENOSPC, "cannot write");
    bytes += written;
    size -= static_cast<std::size_t>(written);
  }
}

void output_file::commit() {
  if (who_ == writer::this_process) {
    flush_buffer();
    // A device or FIFO has nothing to sync; a file's data must be on the disk
    // before its name points at it.
    if (!direct_ && ::fsync(file_) != 0) fail(errno, "cannot write");
    close_checked(file_);
  } else if (direct_) {
    copy_temporary_into_target();
  } else {
    sync_temporary();
  }
  if (target_ >= 0) close_checked(target_);
  if (!direct_) put_in_place();
}

void output_file::copy_temporary_into_target() {
  const int descriptor = ::openat(folder_, temporary_name_.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) fail(errno, "cannot read back");
  const auto buffer = std::make_unique<char[]>(buffer_size);
  try {
    for (;;) {
      const ssize_t got = ::read(descriptor, buffer.get(), buffer_size);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) fail(errno, "cannot read back");
      if (got == 0) break;
      write_all(target_, buffer.get(), static_cast<std::size_t>(got));
    }
  } catch (...) {
    ::close(descriptor);
    throw;
  }
  ::close(descriptor);
}

void output_file::sync_temporary() {
  const int descriptor = ::openat(folder_, temporary_name_.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) fail(errno, "cannot write");
  const bool synced = ::fsync(descriptor) == 0;
  const int error_number = errno;
  ::close(descriptor);
  if (!synced) fail(error_number, "cannot write");
}

void output_file::put_in_place() {
  if (::renameat(folder_, temporary_name_.c_str(), folder_, final_name_.c_str()) != 0)
    fail(errno, "cannot replace");
  temporary_name_.clear();
  registration_.reset();
  // The rename is on the disk only once the folder is; file systems that
  // cannot sync a folder say so with EINVAL. The file is whole under its name
  // whatever happens here, so this is no failure of the write.
  if (folder_syncable_ && ::fsync(folder_) != 0 && errno != EINVAL && errno != EROFS) {
    const std::string shown = printable(name_);
    const std::string reason = std::generic_category().message(errno);
    write_console({" Warning: folder entry of ", std::string_view(shown), " may not be durable (",
                   std::string_view(reason), ")"});
  }
}

void output_file::close_checked(int& descriptor) {
  const int closing = std::exchange(descriptor, -1);
  if (::close(closing) != 0) fail(errno, "cannot write");
}

void output_file::fail(int error_number, std::string_view action, std::string_view detail) const {
  throw std::system_error(
      error_number, std::generic_category(),
      std::string(action) + " " + kind_ + " \"" + printable(name_) + "\"" + std::string(detail));
}

}  // namespace mapplot
