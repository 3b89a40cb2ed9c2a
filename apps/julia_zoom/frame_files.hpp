#pragma once

#include <filesystem>

#include "julia_zoom/frame_picture.hpp"

namespace mapplot {

// Makes `folder` and any missing parents. Throws std::system_error naming the
// folder when it cannot be made or is not a folder.
void prepare_frame_folder(const std::filesystem::path& folder);

// folder/frame-001.png for frame 1; three digits at least, so that the files
// sort in frame order.
std::filesystem::path frame_file_path(const std::filesystem::path& folder, int frame_number);

// Writes the frame as a PNG file that is complete or absent: it is written
// under a temporary name and renamed only once the whole picture is on disk.
// Throws std::runtime_error naming the file and the reason.
void write_frame_file(const std::filesystem::path& path, const frame_picture& frame);

}  // namespace mapplot
