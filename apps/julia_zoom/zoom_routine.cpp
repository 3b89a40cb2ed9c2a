#include "julia_zoom/zoom_routine.hpp"

#include <mapplot/julia_zoom.hpp>
#include <mapplot/window_pictures.hpp>

#include "julia_zoom/zoom_recording.hpp"
#include "platform/program_services.hpp"

namespace mapplot {
namespace {

// julia_zoom draws into the first own window, and the program opens no other.
constexpr int zoom_window = 101;

}  // namespace

std::function<void()> zoom_routine(const zoom_options& options) {
  if (!options.frames_folder && !options.video_file) return julia_zoom;
  return [options] {
    // On screen the window shows how far the zoom is; off screen a line does.
    const bool off_screen = layer_runs_off_screen();
    zoom_recording recording(options, julia_frame_count, off_screen);
    {
      // Takes the frames of the zoom's window while the zoom runs, and none
      // after, on every way out. The receiver runs on this thread inside the
      // frame's screen_map call, so its throw ends the zoom at the frame that
      // could not be kept: no further frame is computed or announced.
      const frame_subscription frames([&recording](const presented_frame& frame) {
        if (frame.window_number != zoom_window) return;
        recording.take({frame.width, frame.height, frame.pixels});
        recording.throw_if_failed();
      });
      julia_zoom();
    }
    recording.finish();
  };
}

}  // namespace mapplot
