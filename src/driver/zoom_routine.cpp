#include "driver/zoom_routine.hpp"

#include <QGuiApplication>
#include <mapplot/julia_zoom.hpp>

#include "driver/zoom_recording.hpp"

namespace mapplot {

std::function<void()> zoom_routine(const zoom_options& options) {
  if (!options.frames_folder && !options.video_file) return julia_zoom;
  return [options] {
    // On screen the window shows how far the zoom is; off screen a line does.
    const bool off_screen = QGuiApplication::platformName() == QStringLiteral("offscreen");
    zoom_recording recording(options, julia_frame_count, off_screen);
    // The frames of window 101 reach recording.take() from the windowing
    // layer's frame receivers, as each is presented.
    julia_zoom();
    recording.finish();
  };
}

}  // namespace mapplot
