#include "platform/qt/window_commands.hpp"

#include "platform/frame_pace.hpp"
#include "platform/qt/frame_window.hpp"
#include "platform/qt/graphics_view.hpp"
#include "platform/qt/shown_picture_file.hpp"

namespace mapplot {

QString pace_text(const frame_pace& pace) {
  const double seconds = std::chrono::duration<double>(pace.interval()).count();
  if (!(seconds > 0)) return QStringLiteral("pace: as fast as the screen");
  return QStringLiteral("pace: %1 frames/s").arg(1 / seconds, 0, 'g', 3);
}

void carry_out_window_command(window_command command, const steered_windows& windows) {
  frame_pace& pace = windows.pace;
  switch (command) {
    case window_command::toggle_pause:
      if (pace.paused()) {
        pace.resume();
      } else {
        pace.pause();
      }
      if (windows.frame != nullptr) windows.frame->set_paused(pace.paused());
      break;
    case window_command::step:
      pace.step();
      break;
    case window_command::faster:
      pace.double_pace(refresh_period(windows.view.screen()));
      break;
    case window_command::slower:
      pace.halve_pace(refresh_period(windows.view.screen()));
      break;
    case window_command::save_picture:
      save_shown_picture(windows.view.canvas(), windows.view.shown_picture());
      break;
    case window_command::none:
      break;
  }
}

}  // namespace mapplot
