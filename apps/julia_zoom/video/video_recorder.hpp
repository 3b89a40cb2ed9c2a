#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>

#include "julia_zoom/frame_picture.hpp"
#include "julia_zoom/video/piped_process.hpp"
#include "julia_zoom/video/video_format.hpp"
#include "request/output_file.hpp"

namespace mapplot {

// Encodes frames into a video file with the ffmpeg program, fed raw frames
// through a pipe. The video is written as every output file is
// (request/output_file.hpp): ffmpeg writes a temporary file beside the
// target, which takes the target's name only once ffprobe finds in it a
// video of the right codec holding every frame fed, whatever ffmpeg's exit
// status said. A symbolic link is written through; a device or FIFO is
// written in place and never replaced. A recording that fails, is cancelled
// or is dropped stops ffmpeg, removes the temporary file and leaves an
// earlier target as it was.
struct video_tools {
  std::string encoder = "ffmpeg";
  std::string prober = "ffprobe";
  // How long ffmpeg may leave the pipe full before it counts as stuck.
  std::chrono::milliseconds stall_limit = std::chrono::seconds(60);
};

class video_recorder {
 public:
  // Checks what can be checked before any frame: the extension
  // (std::invalid_argument), the programs (std::runtime_error when one is
  // not found) and that the file can be made (std::system_error). ffmpeg
  // starts with the first frame, whose size it needs.
  video_recorder(const std::filesystem::path& target, int frame_rate, video_tools tools = {});
  ~video_recorder();
  video_recorder(const video_recorder&) = delete;
  video_recorder& operator=(const video_recorder&) = delete;

  // Every frame must have the first frame's size (std::invalid_argument).
  // Throws std::runtime_error with ffmpeg's message when it fails or stops
  // taking frames, and program_cancelled when the program is cancelled
  // while ffmpeg's pipe is full.
  void add_frame(const frame_picture& frame);

  // Waits for ffmpeg to end, checks the video and puts it under its name.
  // Throws std::runtime_error (ffmpeg failed, the video is incomplete, or
  // there were no frames), std::system_error (the file could not be put in
  // place) or program_cancelled.
  void finish();

 private:
  void start_encoder(int width, int height);
  void check_video_is_whole();
  // Stops ffmpeg and removes the temporary file.
  void abandon() noexcept;
  [[noreturn]] void fail(const std::string& what, const std::string& reason);

  std::string target_;  // as the user named it, for messages
  video_container container_ = video_container::mp4;
  int frame_rate_;
  std::string encoder_path_;
  std::string prober_path_;
  std::chrono::milliseconds stall_limit_;
  // Declared before the encoder, so that ffmpeg has stopped before its file
  // is removed.
  std::optional<output_file> file_;
  std::optional<piped_process> encoder_;
  int width_ = 0;
  int height_ = 0;
  int frame_count_ = 0;
  bool ended_ = false;  // finished, or failed
};

}  // namespace mapplot
