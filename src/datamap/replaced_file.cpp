#include "datamap/replaced_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <system_error>

namespace mapplot {
namespace {

std::string folder_of(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? std::string{} : path.substr(0, slash + 1);
}

// Where the bytes finally belong: a symbolic link is followed so that the link
// itself survives the rename, as it would when the file is opened for writing.
std::string final_path(const std::string& target) {
  struct stat link_status;
  if (::lstat(target.c_str(), &link_status) != 0 || !S_ISLNK(link_status.st_mode)) return target;
  char* resolved = ::realpath(target.c_str(), nullptr);
  if (resolved == nullptr) return target;
  std::string path = resolved;
  std::free(resolved);
  return path;
}

// A fresh name beside `path`; O_EXCL in the caller guards against collisions.
std::string temporary_name(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  return folder_of(path) + ".data_map-" + std::to_string(::getpid()) + "-" +
         std::to_string(counter.fetch_add(1)) + ".tmp";
}

}  // namespace

replaced_file::replaced_file(std::string target)
    : target_(std::move(target)), buffer_(std::make_unique<char[]>(buffer_size)) {
  const std::string destination = final_path(target_);
  struct stat status;
  const bool exists = ::stat(destination.c_str(), &status) == 0;
  if (exists && !S_ISREG(status.st_mode)) {
    written_path_ = destination;
    descriptor_ = ::open(destination.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (descriptor_ < 0) fail(errno, "cannot open data file");
    return;
  }
  through_temporary_ = true;
  for (int attempt = 0; attempt < 100 && descriptor_ < 0; ++attempt) {
    written_path_ = temporary_name(destination);
    descriptor_ = ::open(written_path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor_ < 0 && errno != EEXIST) fail(errno, "cannot create data file");
  }
  if (descriptor_ < 0) fail(EEXIST, "cannot create data file");
  if (exists) {
    // Overwriting keeps the earlier file's permissions and, where allowed, its
    // owner; a failure here is no reason to lose the data.
    (void)::fchmod(descriptor_, status.st_mode & 07777);
    (void)::fchown(descriptor_, status.st_uid, status.st_gid);
  }
  // The rename goes to the resolved path so that a link keeps pointing there.
  target_destination_ = destination;
}

replaced_file::~replaced_file() {
  close_descriptor();
  if (through_temporary_ && !committed_) ::unlink(written_path_.c_str());
}

void replaced_file::write(std::string_view bytes) {
  while (!bytes.empty()) {
    if (buffered_ == buffer_size) flush_buffer();
    const std::size_t room = std::min(buffer_size - buffered_, bytes.size());
    std::memcpy(buffer_.get() + buffered_, bytes.data(), room);
    buffered_ += room;
    bytes.remove_prefix(room);
  }
}

void replaced_file::commit() {
  flush_buffer();
  const int descriptor = descriptor_;
  descriptor_ = -1;
  if (::close(descriptor) != 0) fail(errno, "cannot write data file");
  if (through_temporary_) {
    if (::rename(written_path_.c_str(), target_destination_.c_str()) != 0)
      fail(errno, "cannot replace data file");
  }
  committed_ = true;
}

void replaced_file::flush_buffer() {
  const char* next = buffer_.get();
  std::size_t left = buffered_;
  while (left > 0) {
    const ssize_t written = ::write(descriptor_, next, left);
    if (written < 0) {
      if (errno == EINTR) continue;
      fail(errno, "cannot write data file");
    }
    if (written == 0) fail(ENOSPC, "cannot write data file");
    next += written;
    left -= static_cast<std::size_t>(written);
  }
  buffered_ = 0;
}

void replaced_file::close_descriptor() {
  if (descriptor_ >= 0) ::close(descriptor_);
  descriptor_ = -1;
}

void replaced_file::fail(int error_number, std::string_view action) const {
  throw std::system_error(error_number, std::generic_category(),
                          std::string(action) + " \"" + target_ + "\"");
}

}  // namespace mapplot
