#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace mapplot {

// What the julia_zoom command line asks for. With no options the program
// plays the zoom exactly as it always has.
struct zoom_options {
  bool show_help = false;
  bool show_version = false;
  std::optional<std::filesystem::path> frames_folder;  // --frames DIR
  std::optional<std::filesystem::path> video_file;     // --video FILE (.mp4 or .webm)
  int video_frame_rate = 30;                           // --fps N
  bool off_screen = false;                             // --offscreen
  std::optional<int> explore_frame;                    // --explore[=FRAME]
  std::optional<std::string> serve_address;            // --serve[=[HOST:]PORT], as given
};

inline constexpr int lowest_video_frame_rate = 1;
inline constexpr int highest_video_frame_rate = 1000;

struct parsed_zoom_command_line {
  zoom_options options;
  std::string error;  // empty when the command line is usable
};

// `arguments` as main receives them, the program's name first.
parsed_zoom_command_line parse_zoom_command_line(const std::vector<std::string>& arguments);

// For main, before the windowing layer starts: parses the command line into
// `options`, answers --help and --version on standard output and a usage
// error (usage on standard error) and returns the exit status when the
// program ends there: 0, or 2 for a usage error. --offscreen and --serve take
// effect here (QT_QPA_PLATFORM, MAPPLOT_SERVE), since the windowing layer
// reads them when it starts.
std::optional<int> read_zoom_command_line(int argc, char** argv, zoom_options& options);

}  // namespace mapplot
