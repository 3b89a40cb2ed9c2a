#include "julia_zoom/frame_files.hpp"

#include <cstdio>
#include <stdexcept>
#include <string>
#include <system_error>

#include "platform/program_services.hpp"

namespace mapplot {

void prepare_frame_folder(const std::filesystem::path& folder) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (!error && !std::filesystem::is_directory(folder))
    error = std::make_error_code(std::errc::not_a_directory);
  if (error) {
    throw std::system_error(error,
                            "cannot make the folder " + folder.string() + " for frame files");
  }
}

std::filesystem::path frame_file_path(const std::filesystem::path& folder, int frame_number) {
  char name[32];
  std::snprintf(name, sizeof name, "frame-%03d.png", frame_number);
  return folder / name;
}

void write_frame_file(const std::filesystem::path& path, const frame_picture& frame) {
  check_frame_picture(frame);
  if (const auto failure = save_picture_file(frame.width, frame.height, frame.pixels, path))
    throw std::runtime_error("cannot write the frame file " + path.string() + ": " + *failure);
}

}  // namespace mapplot
