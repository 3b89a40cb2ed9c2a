#pragma once

#include <QObject>
#include <map>
#include <memory>
#include <set>

#include "platform/qt/window_keys.hpp"

namespace mapplot {

class frame_pace;
class frame_window;
class graphics_view;
class qt_window_system;
class window_canvas;
class window_canvases;
class window_destruction_watch;

// What closing a graphics window does. Under a frame window, whose closing
// ends the program, it only hides the window until the program's next frame
// there. In a session nothing else would stop a worker drawing into it: the
// window is closed for good, and the calls that draw into it are cancelled.
enum class graphics_window_closing { hides_until_next_frame, ends_its_drawing };

// The layer's windows on the GUI thread: one graphics window for each canvas
// that presents a frame, made, placed and shown with its first frame, and the
// frame window that shows window 0 and the console. Takes the drawing side's
// signals through queued connections, so that a frame is shown only on this
// thread; carries out the keys pressed in its graphics windows.
class window_views final : public QObject {
  Q_OBJECT
 public:
  // `frame`, which may be null, is the frame window; it must outlive this.
  window_views(qt_window_system& drawing, frame_window* frame,
               graphics_window_closing closing = graphics_window_closing::hides_until_next_frame);
  ~window_views() override;

  // The graphics window showing window `number`, or null while it has none.
  graphics_view* graphics_window(int number) const;
  // The pace was paused or resumed from elsewhere (a served page): the
  // windows and the frame window's title say so.
  void show_pause_state();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void take_window_closed(int number);
  void raise_window(int number);
  void repaint_window(int number);
  void carry_out(window_command command);
  graphics_view& view_for(window_canvas& canvas);

  qt_window_system& drawing_;
  window_canvases& canvases_;
  frame_pace& pace_;
  frame_window* const frame_;
  const graphics_window_closing closing_;
  std::map<int, std::unique_ptr<graphics_view>> views_;
  // Only when closing ends the drawing: the windows closed for good, and a
  // watch for each shown one, which a window manager may destroy outright
  // (declared after the views, so that they go first).
  std::set<int> closed_;
  std::map<int, std::unique_ptr<window_destruction_watch>> destruction_watches_;
};

}  // namespace mapplot
