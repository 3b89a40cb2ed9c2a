#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "julia_zoom/frame_picture.hpp"
#include "julia_zoom/video/piped_process.hpp"
#include "julia_zoom/video/video_format.hpp"

namespace mapplot {

// Encodes frames into a video file with the ffmpeg program, fed raw frames
// through a pipe. The video is written under a temporary name beside the
// target and renamed to it only when ffmpeg has ended successfully, so the
// target is never a half-written video; a recording that fails or is dropped
// removes the temporary file and leaves an earlier target as it was.
class video_recorder {
 public:
  // Checks what can be checked before any frame: the extension
  // (std::invalid_argument), the encoder program (std::runtime_error when it
  // is not found) and that a file can be made beside the target
  // (std::system_error). ffmpeg starts with the first frame, whose size it
  // needs.
  video_recorder(std::filesystem::path target, int frame_rate, std::string encoder = "ffmpeg");
  ~video_recorder();
  video_recorder(const video_recorder&) = delete;
  video_recorder& operator=(const video_recorder&) = delete;

  // Every frame must have the first frame's size (std::invalid_argument).
  // Throws std::runtime_error with ffmpeg's message when it fails.
  void add_frame(const frame_picture& frame);
  // Waits for ffmpeg to write the video and puts it under its name. Throws
  // std::runtime_error (ffmpeg failed, or there were no frames) or
  // std::system_error (the file could not be put in place).
  void finish();

 private:
  void start_encoder(int width, int height);
  std::filesystem::path make_temporary_file() const;
  // Stops ffmpeg and removes the temporary file.
  void abandon();
  [[noreturn]] void fail(const std::string& what, const std::string& reason);

  std::filesystem::path target_;       // as the user named it, for messages
  std::filesystem::path destination_;  // where the video goes: the target, a link followed
  video_container container_ = video_container::mp4;
  int frame_rate_;
  std::string encoder_path_;
  std::optional<piped_process> encoder_;
  std::filesystem::path temporary_;
  int width_ = 0;
  int height_ = 0;
  int frame_count_ = 0;
  bool ended_ = false;  // finished, or failed
};

}  // namespace mapplot
