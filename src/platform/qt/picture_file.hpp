#pragma once

#include <QImage>
#include <filesystem>
#include <optional>
#include <string>

namespace mapplot {

// Writes `picture` as a PNG file through the outputs' one file writer: either
// complete under `path` or not there at all, the name used byte for byte,
// whatever its encoding. Returns why when the file could not be written.
std::optional<std::string> save_picture_file(const QImage& picture,
                                             const std::filesystem::path& path);

}  // namespace mapplot
