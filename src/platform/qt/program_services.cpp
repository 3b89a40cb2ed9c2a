#include "platform/program_services.hpp"

#include <QGuiApplication>
#include <QImage>

#include "platform/qt/picture_file.hpp"

namespace mapplot {

std::optional<std::string> save_picture_file(int width, int height,
                                             std::span<const std::uint32_t> pixels,
                                             const std::filesystem::path& path) {
  if (width <= 0 || height <= 0 ||
      pixels.size() / static_cast<std::size_t>(width) < static_cast<std::size_t>(height))
    return "the picture's pixels do not cover its size";
  // A view of the caller's pixels: 0xffRRGGBB is exactly QImage's RGB32.
  const QImage picture(reinterpret_cast<const uchar*>(pixels.data()), width, height,
                       static_cast<qsizetype>(width) * 4, QImage::Format_RGB32);
  return save_picture_file(picture, path);
}

bool layer_runs_off_screen() {
  return QGuiApplication::platformName() == QStringLiteral("offscreen");
}

}  // namespace mapplot
