#include "julia_zoom/zoom_recording.hpp"

#include <unistd.h>

#include <cstdio>
#include <exception>
#include <stdexcept>

#include "julia_zoom/frame_files.hpp"
#include "platform/cancellation.hpp"

namespace mapplot {

zoom_recording::zoom_recording(const zoom_options& options, int expected_frames, bool show_progress)
    : frames_folder_(options.frames_folder),
      expected_frames_(expected_frames),
      show_progress_(show_progress),
      progress_on_terminal_(::isatty(STDERR_FILENO) == 1) {
  if (frames_folder_) prepare_frame_folder(*frames_folder_);
  if (options.video_file) video_.emplace(*options.video_file, options.video_frame_rate);
}

void zoom_recording::take(const frame_picture& frame) noexcept {
  const std::lock_guard lock(mutex_);
  if (failure_) return;
  try {
    record(frame);
  } catch (const program_cancelled&) {
    // The routine is unwinding, or will be at the layer's next waiting call.
    cancelled_ = true;
    failure_ = program_cancelled().what();
  } catch (const std::exception& failure) {
    failure_ = failure.what();
  } catch (...) {
    failure_ = "the recording stopped on an unknown failure";
  }
  if (failure_) video_.reset();  // stops ffmpeg, removes its partial file
}

void zoom_recording::record(const frame_picture& frame) {
  const int number = frames_taken_ + 1;
  if (frames_folder_) write_frame_file(frame_file_path(*frames_folder_, number), frame);
  if (video_) video_->add_frame(frame);
  frames_taken_ = number;
  if (show_progress_) show_progress();
}

void zoom_recording::show_progress() const {
  // A terminal gets one line rewritten in place; a log gets a line now and then.
  if (progress_on_terminal_) {
    std::fprintf(stderr, "\rframe %d/%d", frames_taken_, expected_frames_);
    if (frames_taken_ == expected_frames_) std::fputc('\n', stderr);
  } else if (frames_taken_ % 50 == 0 || frames_taken_ == expected_frames_) {
    std::fprintf(stderr, "frame %d/%d\n", frames_taken_, expected_frames_);
  }
  std::fflush(stderr);
}

void zoom_recording::throw_if_failed() {
  const std::lock_guard lock(mutex_);
  throw_kept_failure();
}

void zoom_recording::throw_kept_failure() {
  if (!failure_) return;
  // The message goes on a line of its own, not after the progress line.
  if (progress_on_terminal_ && show_progress_ && frames_taken_ > 0 && !progress_line_ended_) {
    std::fputc('\n', stderr);
    progress_line_ended_ = true;
  }
  if (cancelled_) throw program_cancelled();
  throw std::runtime_error(*failure_);
}

void zoom_recording::finish() {
  const std::lock_guard lock(mutex_);
  throw_kept_failure();
  if (progress_on_terminal_ && show_progress_ && frames_taken_ != expected_frames_ &&
      frames_taken_ > 0)
    std::fputc('\n', stderr);
  if (frames_taken_ != expected_frames_) {
    // A zoom with frames missing or added is no faithful recording of it.
    video_.reset();
    throw std::runtime_error(std::to_string(frames_taken_) + " frames of the zoom were recorded, " +
                             "not " + std::to_string(expected_frames_));
  }
  if (video_) video_->finish();
}

int zoom_recording::frames_taken() const {
  const std::lock_guard lock(mutex_);
  return frames_taken_;
}

}  // namespace mapplot
