#include "julia_zoom/video/video_format.hpp"

#include <algorithm>
#include <bit>

namespace mapplot {

std::optional<video_container> video_container_for(const std::filesystem::path& file) {
  std::string extension = file.extension().string();
  // ASCII rules: the user's locale must not change which names are videos.
  std::transform(extension.begin(), extension.end(), extension.begin(), [](char letter) {
    return letter >= 'A' && letter <= 'Z' ? static_cast<char>(letter - 'A' + 'a') : letter;
  });
  if (extension == ".mp4") return video_container::mp4;
  if (extension == ".webm") return video_container::webm;
  return std::nullopt;
}

std::string_view video_codec_name(video_container container) {
  return container == video_container::mp4 ? "h264" : "vp9";
}

std::vector<std::string> ffmpeg_arguments(const video_encoding& encoding) {
  // A 0xffRRGGBB word lies in memory as B, G, R, A on a little-endian machine.
  const std::string pixel_format = std::endian::native == std::endian::little ? "bgra" : "argb";
  std::vector<std::string> arguments = {
      "-hide_banner",
      "-nostdin",
      "-nostats",
      "-loglevel",
      "error",
      "-f",
      "rawvideo",
      "-pixel_format",
      pixel_format,
      "-video_size",
      std::to_string(encoding.width) + "x" + std::to_string(encoding.height),
      "-framerate",
      std::to_string(encoding.frame_rate),
      "-i",
      "pipe:0"};
  const auto add = [&arguments](std::initializer_list<std::string> more) {
    arguments.insert(arguments.end(), more);
  };
  switch (encoding.container) {
    case video_container::mp4: {
      const int even_width = encoding.width + encoding.width % 2;
      const int even_height = encoding.height + encoding.height % 2;
      if (even_width != encoding.width || even_height != encoding.height) {
        add({"-vf", "pad=" + std::to_string(even_width) + ":" + std::to_string(even_height) +
                        ":0:0:black"});
      }
      add({"-c:v", "libx264", "-pix_fmt", "yuv420p", "-movflags", "+faststart", "-f", "mp4"});
      break;
    }
    case video_container::webm:
      // Constant quality rather than VP9's low default bit rate.
      add({"-c:v", "libvpx-vp9", "-crf", "31", "-b:v", "0", "-row-mt", "1", "-pix_fmt", "yuv420p",
           "-f", "webm"});
      break;
  }
  add({"-y", encoding.output});
  return arguments;
}

}  // namespace mapplot
