#pragma once

#include <QObject>
#include <map>
#include <memory>

#include "platform/qt/window_keys.hpp"

namespace mapplot {

class frame_pace;
class frame_window;
class graphics_view;
class qt_window_system;
class window_canvas;
class window_canvases;

// The layer's windows on the GUI thread: one graphics window for each canvas
// that presents a frame, made, placed and shown with its first frame, and the
// frame window that shows window 0 and the console. Takes the drawing side's
// signals through queued connections, so that a frame is shown only on this
// thread; carries out the keys pressed in its graphics windows.
class window_views final : public QObject {
  Q_OBJECT
 public:
  // `frame`, which may be null, is the frame window; it must outlive this.
  window_views(qt_window_system& drawing, frame_window* frame);
  ~window_views() override;

  // The graphics window showing window `number`, or null while it has none.
  graphics_view* graphics_window(int number) const;
  // The pace was paused or resumed from elsewhere (a served page): the
  // windows and the frame window's title say so.
  void show_pause_state();

 private:
  void raise_window(int number);
  void repaint_window(int number);
  void carry_out(window_command command);
  graphics_view& view_for(window_canvas& canvas);

  window_canvases& canvases_;
  frame_pace& pace_;
  frame_window* const frame_;
  std::map<int, std::unique_ptr<graphics_view>> views_;
};

}  // namespace mapplot
