#include "julia_zoom/zoom_command_line.hpp"

#include <charconv>
#include <cstdio>
#include <cstdlib>

#include "julia_zoom/video/video_format.hpp"
#include "platform/served/served_address.hpp"

namespace mapplot {
namespace {

constexpr std::string_view program_name = "julia_zoom";

// Shown by --help, and on standard error after a usage error.
constexpr std::string_view usage_text =
    "Usage: julia_zoom [--frames DIR] [--video FILE [--fps N]] [--offscreen]\n"
    "                  [--serve[=[HOST:]PORT]]\n"
    "       julia_zoom --explore[=FRAME] [--offscreen]\n"
    "       julia_zoom --help | --version\n"
    "\n"
    "Plays a 335-frame zoom into the Julia set of z^2 + i in window 101, writing\n"
    "one console line per frame.\n"
    "\n"
    "  --frames DIR   also save every frame as DIR/frame-001.png ... frame-335.png\n"
    "  --video FILE   also encode the frames into FILE with the ffmpeg program:\n"
    "                 .mp4 (H.264) or .webm (VP9)\n"
    "  --fps N        frames a second of the video, 1 to 1000 (default 30)\n"
    "  --explore[=FRAME]  explore the Julia set at one exact count per pixel,\n"
    "                 opening on frame FRAME's window (1 to 335, default 1): wheel\n"
    "                 zooms, dragging pans, Home returns, Ctrl+S saves the window;\n"
    "                 off screen, saves that view as julia_explore-FRAME.png\n"
    "  --offscreen    run without showing windows, even where there is a display\n"
    "  --serve[=[HOST:]PORT]  also serve window 101 to a web browser, at\n"
    "                 127.0.0.1:8470 unless given (port 0: any free port); the\n"
    "                 address to open, with its access token, goes to standard\n"
    "                 error. While a browser watches, the zoom keeps its pace\n"
    "                 and waits at the end until it is closed from the page\n"
    "  --help         show this text and exit\n"
    "  --version      show the version and exit\n"
    "\n"
    "Keys in window 101 while the zoom plays: Space pauses and resumes, Right or .\n"
    "steps one frame while paused, + and - double and halve the pace, Ctrl+S saves\n"
    "the window as julia_zoom-window-101-<frame>.png in the current folder.\n";

std::optional<int> whole_number(const std::string& text) {
  int value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc{} || stop != end || text.empty()) return std::nullopt;
  return value;
}

// A written answer that did not reach its reader is a failure, not a success.
int finish_output(std::FILE* stream) {
  if (std::fflush(stream) != 0 || std::ferror(stream)) {
    std::fprintf(stderr, "%.*s: cannot write to standard output\n",
                 static_cast<int>(program_name.size()), program_name.data());
    return EXIT_FAILURE;
  }
  return EXIT_SUCCESS;
}

}  // namespace

parsed_zoom_command_line parse_zoom_command_line(const std::vector<std::string>& arguments) {
  parsed_zoom_command_line parsed;
  zoom_options& options = parsed.options;
  const auto fail = [&parsed](std::string message) {
    parsed.error = std::move(message);
    return parsed;
  };
  std::optional<std::string> frames, video, rate;
  for (std::size_t index = 1; index < arguments.size(); ++index) {
    const std::string& word = arguments[index];
    if (!word.starts_with("--") || word == "--") return fail("unexpected argument '" + word + "'");
    // "--name value" or "--name=value"
    const auto equals = word.find('=');
    const std::string name = word.substr(2, equals == std::string::npos ? word.npos : equals - 2);
    std::optional<std::string> attached;
    if (equals != std::string::npos) attached = word.substr(equals + 1);

    if (name == "explore") {
      if (options.explore_frame) return fail("--explore is given more than once");
      options.explore_frame = 1;
      if (attached) {
        const auto frame = whole_number(*attached);
        if (!frame || *frame < 1 || *frame > 335)
          return fail("--explore needs a frame from 1 to 335, not '" + *attached + "'");
        options.explore_frame = *frame;
      }
      continue;
    }
    if (name == "serve") {
      if (options.serve_address) return fail("--serve is given more than once");
      const std::string text = attached.value_or("");
      const parsed_served_address address = parse_served_address(text);
      if (!address.error.empty()) return fail("--serve=" + text + ": " + address.error);
      options.serve_address = text;
      continue;
    }
    bool* flag = name == "help"        ? &options.show_help
                 : name == "version"   ? &options.show_version
                 : name == "offscreen" ? &options.off_screen
                                       : nullptr;
    if (flag != nullptr) {
      if (attached) return fail("--" + name + " takes no value");
      *flag = true;
      continue;
    }
    std::optional<std::string>* value = name == "frames"  ? &frames
                                        : name == "video" ? &video
                                        : name == "fps"   ? &rate
                                                          : nullptr;
    if (value == nullptr) return fail("unknown option '--" + name + "'");
    if (value->has_value()) return fail("--" + name + " is given more than once");
    if (attached) {
      *value = *attached;
    } else if (index + 1 < arguments.size()) {
      *value = arguments[++index];
    } else {
      return fail("--" + name + " needs a value");
    }
  }

  // File names are kept byte for byte, whatever their encoding.
  if (frames) {
    if (frames->empty()) return fail("--frames needs the name of a folder");
    options.frames_folder = *frames;
  }
  if (video) {
    if (!video_container_for(*video))
      return fail("--video needs a file name ending in .mp4 or .webm, not '" + *video + "'");
    options.video_file = *video;
  }
  if (rate) {
    const auto number = whole_number(*rate);
    if (!number || *number < lowest_video_frame_rate || *number > highest_video_frame_rate) {
      return fail("--fps needs a whole number from " + std::to_string(lowest_video_frame_rate) +
                  " to " + std::to_string(highest_video_frame_rate) + ", not '" + *rate + "'");
    }
    if (!video) return fail("--fps sets the frame rate of --video, which is not given");
    options.video_frame_rate = *number;
  }
  if (options.explore_frame && (frames || video))
    return fail("--explore does not keep frames; leave out --frames and --video");
  if (options.explore_frame && options.serve_address)
    return fail("--explore is not served; leave out --serve");
  return parsed;
}

std::optional<int> read_zoom_command_line(int argc, char** argv, zoom_options& options) {
  std::vector<std::string> arguments;
  for (int index = 0; index < argc; ++index) arguments.emplace_back(argv[index]);
  const parsed_zoom_command_line parsed = parse_zoom_command_line(arguments);
  if (!parsed.error.empty()) {
    std::fprintf(stderr, "%.*s: %s\n\n%.*s", static_cast<int>(program_name.size()),
                 program_name.data(), parsed.error.c_str(), static_cast<int>(usage_text.size()),
                 usage_text.data());
    return 2;
  }
  options = parsed.options;
  if (options.show_help) {
    std::fwrite(usage_text.data(), 1, usage_text.size(), stdout);
    return finish_output(stdout);
  }
  if (options.show_version) {
    std::printf("%.*s %s\n", static_cast<int>(program_name.size()), program_name.data(),
                MAPPLOT_VERSION);
    return finish_output(stdout);
  }
  // The windowing layer reads this when it starts.
  if (options.off_screen) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  if (options.serve_address) ::setenv("MAPPLOT_SERVE", options.serve_address->c_str(), 1);
  return std::nullopt;
}

}  // namespace mapplot
