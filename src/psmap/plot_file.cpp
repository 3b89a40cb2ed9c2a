#include "psmap/plot_file.hpp"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <span>

#include "psmap/plot_completeness.hpp"

namespace mapplot {
namespace {

bool plain_path_character(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '/' ||
         c == '.' || c == '_' || c == '-';
}

std::string path_for_pgplot(const output_file& file) {
  std::string path = file.temporary_path();
  if (!path.starts_with('/') && !path.starts_with("./")) path = "./" + path;
  if (path.size() <= plot_file::pgplot_path_limit &&
      std::all_of(path.begin(), path.end(), plain_path_character))
    return path;
  // The same folder by a short path of plain characters.
  const std::string folder = "/proc/self/fd/" + std::to_string(file.temporary_folder());
  struct stat status;
  if (::stat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode))
    file.fail(ENAMETOOLONG, "cannot create");
  return folder + "/" + file.temporary_name();
}

// The errno that best explains a file PGPLOT left incomplete.
int incompleteness_reason(int descriptor, std::size_t size) {
  rlimit limit;
  if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
      size >= limit.rlim_cur)
    return EFBIG;
  struct statvfs space;
  if (::fstatvfs(descriptor, &space) == 0 && space.f_bavail == 0) return ENOSPC;
  return EIO;
}

// The whole of a file, mapped for reading.
class mapped_file {
 public:
  mapped_file(int descriptor, std::size_t size) : size_(size) {
    if (size == 0) return;
    void* start = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, descriptor, 0);
    if (start != MAP_FAILED) start_ = static_cast<const unsigned char*>(start);
  }
  ~mapped_file() {
    if (start_ != nullptr) ::munmap(const_cast<unsigned char*>(start_), size_);
  }
  mapped_file(const mapped_file&) = delete;
  mapped_file& operator=(const mapped_file&) = delete;

  bool failed() const { return size_ > 0 && start_ == nullptr; }
  std::span<const unsigned char> bytes() const {
    return start_ == nullptr ? std::span<const unsigned char>{} : std::span{start_, size_};
  }

 private:
  const unsigned char* start_ = nullptr;
  std::size_t size_;
};

class open_descriptor {
 public:
  explicit open_descriptor(int descriptor) : descriptor_(descriptor) {}
  ~open_descriptor() {
    if (descriptor_ >= 0) ::close(descriptor_);
  }
  open_descriptor(const open_descriptor&) = delete;
  open_descriptor& operator=(const open_descriptor&) = delete;
  int get() const { return descriptor_; }

 private:
  int descriptor_;
};

}  // namespace

plot_file::plot_file(std::string_view name)
    : file_(name, "plot file", output_file::writer::by_path),
      pgplot_path_(path_for_pgplot(file_)) {}

void plot_file::commit(plot_output format) {
  {
    const open_descriptor descriptor(
        ::openat(file_.temporary_folder(), file_.temporary_name().c_str(), O_RDONLY | O_CLOEXEC));
    if (descriptor.get() < 0) file_.fail(errno, "cannot read back");
    struct stat status;
    if (::fstat(descriptor.get(), &status) != 0) file_.fail(errno, "cannot read back");
    const auto size = static_cast<std::size_t>(status.st_size);
    const mapped_file contents(descriptor.get(), size);
    if (contents.failed()) file_.fail(errno, "cannot read back");
    if (!is_complete_plot(format, contents.bytes()))
      file_.fail(incompleteness_reason(descriptor.get(), size), "cannot write",
                 " (left incomplete)");
  }
  file_.commit();
}

}  // namespace mapplot
