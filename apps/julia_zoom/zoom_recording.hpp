#pragma once

#include <filesystem>
#include <mutex>
#include <optional>
#include <string>

#include "julia_zoom/frame_picture.hpp"
#include "julia_zoom/video/video_recorder.hpp"
#include "julia_zoom/zoom_command_line.hpp"

namespace mapplot {

// What --frames and --video keep of the zoom: each frame of its window, in the
// order presented, as frame-NNN.png and as a frame of the video.
class zoom_recording {
 public:
  // Makes the frames folder and checks the video's name and ffmpeg, so that
  // these fail before the first frame; throws as prepare_frame_folder and
  // video_recorder do. With `show_progress`, a line "frame 120/335" on
  // standard error tells how far it is.
  zoom_recording(const zoom_options& options, int expected_frames, bool show_progress);

  // Takes one frame; safe to call from any thread. It never throws: the
  // first failure is kept, the video is dropped at once, and later frames
  // are ignored.
  void take(const frame_picture& frame) noexcept;

  // Throws the first failure as finish() does, and nothing when there is
  // none: a frame receiver calls it after take(), so that the zoom stops at
  // the frame that could not be kept rather than computing the rest.
  void throw_if_failed();

  // After the last frame: completes the video, or throws the first failure
  // (std::runtime_error with the message that names the file and reason;
  // program_cancelled when that was the program's cancellation), or throws
  // when other than the expected number of frames came.
  void finish();

  int frames_taken() const;

 private:
  void record(const frame_picture& frame);
  void show_progress() const;
  void throw_kept_failure();  // with mutex_ held

  mutable std::mutex mutex_;
  std::optional<std::filesystem::path> frames_folder_;
  std::optional<video_recorder> video_;
  int expected_frames_;
  bool show_progress_;
  bool progress_on_terminal_;
  int frames_taken_ = 0;
  std::optional<std::string> failure_;
  bool cancelled_ = false;  // the failure was the program's cancellation
  bool progress_line_ended_ = false;
};

}  // namespace mapplot
