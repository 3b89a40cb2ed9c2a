#include "platform/qt/picture_file.hpp"

#include <QBuffer>
#include <QByteArray>
#include <stdexcept>
#include <system_error>

#include "request/output_file.hpp"

namespace mapplot {

std::optional<std::string> save_picture_file(const QImage& picture,
                                             const std::filesystem::path& path) {
  if (picture.isNull()) return "there is no picture";
  QByteArray encoded;
  QBuffer buffer(&encoded);
  if (!buffer.open(QIODevice::WriteOnly) || !picture.save(&buffer, "PNG"))
    return "the picture could not be encoded as PNG";
  // Written as every output file is: whole under its name or not at all, the
  // name taken byte for byte, a device or FIFO written in place.
  try {
    output_file file(path.native(), "picture file", output_file::writer::this_process);
    file.write({encoded.constData(), static_cast<std::size_t>(encoded.size())});
    file.commit();
  } catch (const std::system_error& failure) {
    return failure.what();
  } catch (const std::invalid_argument& failure) {
    return failure.what();
  }
  return std::nullopt;
}

}  // namespace mapplot
