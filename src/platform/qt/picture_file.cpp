#include "platform/qt/picture_file.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <QBuffer>
#include <QByteArray>
#include <atomic>
#include <cerrno>
#include <system_error>

namespace mapplot {
namespace {

// A new file beside `path`, made here and nowhere else; -1 with errno set when
// none could be made.
int make_temporary_file(const std::filesystem::path& path, std::string& temporary) {
  static std::atomic<unsigned> counter{0};
  const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name(".");
    name.append(path.filename().string()).append(".").append(std::to_string(::getpid()));
    name.append("-").append(std::to_string(counter.fetch_add(1))).append(".partial");
    temporary = (folder / name).string();
    const int descriptor = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor >= 0 || errno != EEXIST) return descriptor;
  }
  return -1;
}

bool write_all(int descriptor, const char* bytes, std::size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(descriptor, bytes, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

}  // namespace

std::optional<std::string> save_picture_file(const QImage& picture,
                                             const std::filesystem::path& path) {
  if (picture.isNull()) return "there is no picture";
  QByteArray encoded;
  QBuffer buffer(&encoded);
  if (!buffer.open(QIODevice::WriteOnly) || !picture.save(&buffer, "PNG"))
    return "the picture could not be encoded as PNG";

  std::string temporary;
  const int descriptor = make_temporary_file(path, temporary);
  if (descriptor < 0) return std::generic_category().message(errno);
  bool complete =
      write_all(descriptor, encoded.constData(), static_cast<std::size_t>(encoded.size())) &&
      ::fsync(descriptor) == 0;
  int error = complete ? 0 : errno;
  if (::close(descriptor) != 0 && complete) {
    complete = false;
    error = errno;
  }
  if (complete && ::rename(temporary.c_str(), path.c_str()) == 0) return std::nullopt;
  if (complete) error = errno;
  ::unlink(temporary.c_str());
  return std::generic_category().message(error);
}

}  // namespace mapplot
