#pragma once

#include <QImage>
#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "scratch_folder.hpp"

namespace mapplot::testing {

// A frame that tells its colours and its number apart: red, green, blue and
// white quarters (top left, top right, bottom left, bottom right) crossed by a
// black bar 8 pixels wide that starts at column (11 * number) % (width - 24).
std::vector<std::uint32_t> synthetic_frame(int width, int height, int number);
int bar_column(int width, int number);

// What ffprobe says of a video's first stream, every frame decoded and counted.
struct video_facts {
  std::string codec, pixel_format, frame_rate;
  int width = 0, height = 0, frames = 0;
};
video_facts probe_video(const std::string& path);

// Frame `index` (from 0) of a video, decoded by ffmpeg; null when it fails.
QImage decoded_frame(const std::string& video, int index);

// "" when `picture` shows synthetic frame `number` (allowing for lossy
// compression), otherwise what differs.
std::string compare_with_synthetic(const QImage& picture, int width, int height, int number);

}  // namespace mapplot::testing
