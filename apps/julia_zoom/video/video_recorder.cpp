#include "julia_zoom/video/video_recorder.hpp"

#include <charconv>
#include <sstream>
#include <stdexcept>
#include <system_error>
#include <vector>

namespace mapplot {

video_recorder::video_recorder(const std::filesystem::path& target, int frame_rate,
                               video_tools tools)
    : target_(target.string()), frame_rate_(frame_rate), stall_limit_(tools.stall_limit) {
  const auto container = video_container_for(target);
  if (!container) {
    throw std::invalid_argument("cannot record the video " + target_ +
                                ": its name must end in .mp4 or .webm");
  }
  container_ = *container;
  if (frame_rate_ <= 0) {
    throw std::invalid_argument("cannot record the video " + target_ + " at " +
                                std::to_string(frame_rate_) + " frames a second");
  }
  for (auto [path, name] :
       {std::pair{&encoder_path_, &tools.encoder}, std::pair{&prober_path_, &tools.prober}}) {
    *path = find_program(*name);
    if (path->empty()) {
      throw std::runtime_error("cannot record the video " + target_ + ": the program " + *name +
                               " was not found (install ffmpeg)");
    }
  }
  // Made now, so that a name that cannot take a file fails before any frame.
  file_.emplace(target_, "video", output_file::writer::by_path);
}

video_recorder::~video_recorder() {
  abandon();
}

void video_recorder::start_encoder(int width, int height) {
  std::vector<std::string> arguments{encoder_path_};
  // "file:" keeps ffmpeg from reading a protocol into a name with a colon.
  const auto options = ffmpeg_arguments({.container = container_,
                                         .width = width,
                                         .height = height,
                                         .frame_rate = frame_rate_,
                                         .output = "file:" + file_->temporary_path()});
  arguments.insert(arguments.end(), options.begin(), options.end());
  encoder_.emplace(arguments);
  width_ = width;
  height_ = height;
}

void video_recorder::add_frame(const frame_picture& frame) {
  if (ended_) throw std::logic_error("the recording of " + target_ + " has ended");
  piped_process::input_outcome outcome{};
  try {
    check_frame_picture(frame);
    if (!encoder_) {
      start_encoder(frame.width, frame.height);
    } else if (frame.width != width_ || frame.height != height_) {
      throw std::invalid_argument(
          "cannot record the video " + target_ + ": frame " + std::to_string(frame_count_ + 1) +
          " is " + std::to_string(frame.width) + " x " + std::to_string(frame.height) +
          " pixels, the first was " + std::to_string(width_) + " x " + std::to_string(height_));
    }
    const auto pixels = frame.pixels.first(static_cast<std::size_t>(width_) * height_);
    outcome = encoder_->write_input(std::as_bytes(pixels), stall_limit_);
  } catch (...) {
    abandon();
    throw;
  }
  if (outcome == piped_process::input_outcome::closed) {
    const process_ending ending = encoder_->stop();
    fail("ffmpeg stopped taking the frames of " + target_, ending.reason());
  }
  if (outcome == piped_process::input_outcome::stalled) {
    const double seconds = std::chrono::duration<double>(stall_limit_).count();
    char shown[32];
    const auto end = std::to_chars(shown, shown + sizeof shown, seconds).ptr;
    fail("ffmpeg stopped taking the frames of " + target_,
         "it took nothing for " + std::string(shown, end) + " s and was stopped");
  }
  ++frame_count_;
}

void video_recorder::finish() {
  if (ended_) throw std::logic_error("the recording of " + target_ + " has ended");
  if (frame_count_ == 0) fail("cannot record the video " + target_, "no frames came");
  process_ending ending;
  try {
    ending = encoder_->finish();
  } catch (...) {
    abandon();
    throw;
  }
  if (!ending.succeeded()) fail("ffmpeg could not make the video " + target_, ending.reason());
  check_video_is_whole();
  try {
    file_->commit();
  } catch (...) {
    abandon();
    throw;
  }
  encoder_.reset();
  file_.reset();
  ended_ = true;
}

// ffmpeg's word is not enough: one that failed may still say it succeeded.
void video_recorder::check_video_is_whole() {
  const std::string what = "ffmpeg did not make the whole video " + target_;
  process_ending probed;
  try {
    piped_process prober({prober_path_, "-v", "error", "-select_streams", "v:0", "-count_packets",
                          "-show_entries", "stream=codec_name,nb_read_packets", "-of",
                          "default=noprint_wrappers=1", "file:" + file_->temporary_path()},
                         true);
    probed = prober.finish();
  } catch (const std::system_error& failure) {
    fail(what, failure.what());
  } catch (...) {
    abandon();
    throw;
  }
  if (!probed.succeeded()) {
    // ffprobe names the temporary file; the user knows the target.
    std::string reason = probed.reason();
    const std::string temporary = "file:" + file_->temporary_path() + ": ";
    if (reason.starts_with(temporary)) reason.erase(0, temporary.size());
    fail(what, "ffprobe cannot read it: " + reason);
  }
  std::string codec;
  int frames = -1;
  std::istringstream lines(probed.output);
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with("codec_name=")) codec = line.substr(11);
    if (line.starts_with("nb_read_packets=")) {
      const std::string count = line.substr(16);
      const char* end = count.data() + count.size();
      if (std::from_chars(count.data(), end, frames).ptr != end) frames = -1;
    }
  }
  const std::string_view expected = video_codec_name(container_);
  if (codec != expected) {
    fail(what, codec.empty() ? "it holds no video stream"
                             : "its video is " + codec + ", not " + std::string(expected));
  }
  if (frames != frame_count_) {
    fail(what, "it holds " +
                   (frames < 0 ? std::string("an unknown number of") : std::to_string(frames)) +
                   " frames of " + std::to_string(frame_count_));
  }
}

void video_recorder::abandon() noexcept {
  encoder_.reset();
  file_.reset();
  ended_ = true;
}

void video_recorder::fail(const std::string& what, const std::string& reason) {
  abandon();
  throw std::runtime_error(what + ": " + reason);
}

}  // namespace mapplot
