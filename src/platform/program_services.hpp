#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

#include "internal_api.hpp"

namespace mapplot {

// What a program asks of the windowing layer besides drawing, so that it
// needs no Qt of its own. Implemented by the layer on Qt.

// Writes a picture (rows top to bottom, each pixel 0xffRRGGBB, width * height
// of them) as a PNG file through the outputs' one file writer: complete under
// `path` or not there at all. Returns why when it could not be written.
MAPPLOT_INTERNAL_API std::optional<std::string> save_picture_file(
    int width, int height, std::span<const std::uint32_t> pixels,
    const std::filesystem::path& path);

// Whether the running layer draws off screen (no display, or
// QT_QPA_PLATFORM=offscreen): no window is shown and nothing waits.
MAPPLOT_INTERNAL_API bool layer_runs_off_screen();

}  // namespace mapplot
