#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mapplot {

// The kinds of video the recorder makes, chosen by the file's extension:
// ".mp4" holds H.264, ".webm" holds VP9.
enum class video_container { mp4, webm };

// The container for `file`'s extension (in any letter case), or none.
std::optional<video_container> video_container_for(const std::filesystem::path& file);

// The codec's name as ffprobe gives it: "h264", "vp9".
std::string_view video_codec_name(video_container container);

struct video_encoding {
  video_container container = video_container::mp4;
  int width = 0;  // of the frames as they are fed, which may be odd
  int height = 0;
  int frame_rate = 30;
  std::string output;  // the file ffmpeg writes
};

// The ffmpeg arguments (after the program's name) that read raw 0xffRRGGBB
// frames of the given size from standard input and write the video. H.264 in
// yuv420p needs even sides, so an odd picture gets one black column on the
// right or one black row at the bottom.
std::vector<std::string> ffmpeg_arguments(const video_encoding& encoding);

}  // namespace mapplot
