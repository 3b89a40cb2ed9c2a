#include "julia_zoom/video/video_recorder.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <stdexcept>
#include <system_error>
#include <vector>

namespace mapplot {
namespace {

// A symbolic link keeps pointing where it did: the video replaces the file it
// names, not the link itself.
std::filesystem::path destination_of(const std::filesystem::path& target) {
  std::error_code error;
  if (!std::filesystem::is_symlink(target, error)) return target;
  const auto resolved = std::filesystem::weakly_canonical(target, error);
  return error ? target : resolved;
}

}  // namespace

video_recorder::video_recorder(std::filesystem::path target, int frame_rate, std::string encoder)
    : target_(std::move(target)), frame_rate_(frame_rate) {
  const auto container = video_container_for(target_);
  if (!container) {
    throw std::invalid_argument("cannot record the video " + target_.string() +
                                ": its name must end in .mp4 or .webm");
  }
  container_ = *container;
  if (frame_rate_ <= 0) {
    throw std::invalid_argument("cannot record the video " + target_.string() + " at " +
                                std::to_string(frame_rate_) + " frames a second");
  }
  encoder_path_ = find_program(encoder);
  if (encoder_path_.empty()) {
    throw std::runtime_error("cannot record the video " + target_.string() + ": the program " +
                             encoder + " was not found (install ffmpeg)");
  }
  destination_ = destination_of(target_);
  std::error_code error;
  if (std::filesystem::is_directory(destination_, error)) {
    throw std::system_error(std::make_error_code(std::errc::is_a_directory),
                            "cannot record the video " + target_.string());
  }
  // Proves now, before any frame, that the folder takes new files; the file
  // is made again when ffmpeg starts.
  std::filesystem::remove(make_temporary_file(), error);
}

video_recorder::~video_recorder() {
  abandon();
}

std::filesystem::path video_recorder::make_temporary_file() const {
  static std::atomic<unsigned> counter{0};
  const std::filesystem::path folder =
      destination_.has_parent_path() ? destination_.parent_path() : std::filesystem::path(".");
  int error = EEXIST;
  for (int attempt = 0; attempt < 100 && error == EEXIST; ++attempt) {
    std::string name(".");
    name.append(destination_.filename().string()).append(".").append(std::to_string(::getpid()));
    name.append("-").append(std::to_string(counter.fetch_add(1))).append(".partial");
    const std::filesystem::path candidate = folder / name;
    const int descriptor = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor >= 0) {
      ::close(descriptor);
      return candidate;
    }
    error = errno;
  }
  throw std::system_error(error, std::generic_category(),
                          "cannot record the video " + target_.string());
}

void video_recorder::start_encoder(int width, int height) {
  temporary_ = make_temporary_file();
  std::vector<std::string> arguments{encoder_path_};
  // "file:" keeps ffmpeg from reading a protocol into a name with a colon.
  const auto options = ffmpeg_arguments({.container = container_,
                                         .width = width,
                                         .height = height,
                                         .frame_rate = frame_rate_,
                                         .output = "file:" + temporary_.string()});
  arguments.insert(arguments.end(), options.begin(), options.end());
  try {
    encoder_.emplace(arguments);
  } catch (...) {
    abandon();
    throw;
  }
  width_ = width;
  height_ = height;
}

void video_recorder::add_frame(const frame_picture& frame) {
  if (ended_) throw std::logic_error("the recording of " + target_.string() + " has ended");
  check_frame_picture(frame);
  if (!encoder_) {
    start_encoder(frame.width, frame.height);
  } else if (frame.width != width_ || frame.height != height_) {
    abandon();
    throw std::invalid_argument("cannot record the video " + target_.string() + ": frame " +
                                std::to_string(frame_count_ + 1) + " is " +
                                std::to_string(frame.width) + " x " + std::to_string(frame.height) +
                                " pixels, the first was " + std::to_string(width_) + " x " +
                                std::to_string(height_));
  }
  const auto pixels = frame.pixels.first(static_cast<std::size_t>(width_) * height_);
  bool taken = false;
  try {
    taken = encoder_->write_input(std::as_bytes(pixels));
  } catch (...) {
    abandon();
    throw;
  }
  if (!taken) {
    const process_ending ending = encoder_->finish();
    fail("ffmpeg stopped taking the frames of " + target_.string(), ending.reason());
  }
  ++frame_count_;
}

void video_recorder::finish() {
  if (ended_) throw std::logic_error("the recording of " + target_.string() + " has ended");
  if (frame_count_ == 0) fail("cannot record the video " + target_.string(), "no frames came");
  const process_ending ending = encoder_->finish();
  if (!ending.succeeded())
    fail("ffmpeg could not make the video " + target_.string(), ending.reason());
  // On disk before it takes the name, so a crash cannot leave a truncated
  // video under it.
  const int descriptor = ::open(temporary_.c_str(), O_RDONLY | O_CLOEXEC);
  const bool synced = descriptor >= 0 && ::fsync(descriptor) == 0;
  const int sync_error = errno;
  if (descriptor >= 0) ::close(descriptor);
  if (!synced || ::rename(temporary_.c_str(), destination_.c_str()) != 0) {
    const int error = synced ? errno : sync_error;
    abandon();
    throw std::system_error(error, std::generic_category(),
                            "cannot put the video in place as " + target_.string());
  }
  temporary_.clear();
  encoder_.reset();
  ended_ = true;
}

void video_recorder::abandon() {
  encoder_.reset();
  if (!temporary_.empty()) {
    std::error_code ignored;
    std::filesystem::remove(temporary_, ignored);
    temporary_.clear();
  }
  ended_ = true;
}

void video_recorder::fail(const std::string& what, const std::string& reason) {
  abandon();
  throw std::runtime_error(what + ": " + reason);
}

}  // namespace mapplot
