#pragma once

#include <QImage>
#include <QObject>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

#include "platform/frame_pace.hpp"
#include "platform/qt/window_canvases.hpp"
#include "platform/window_system.hpp"

namespace mapplot {

enum class display_mode {
  on_screen,   // windows are shown, and presenting keeps pace with their painting
  off_screen,  // canvases only: no windows, nothing waits
};

// The windowing layer on Qt as the program's thread sees it: the drawing
// operations go into each window's back picture, and present_frame hands a
// whole frame over. What the screen has to do about it (show a window, paint
// a frame, switch the console between text and picture) goes out as queued
// signals to window_views on the GUI thread; this object never touches a
// widget. Create and destroy it on the GUI thread, and only once no program
// thread draws any more.
//
// Once cancelled, every drawing call and every wait (for a paint, the pace,
// the Enter key) throws program_cancelled on the program's thread. A window
// closed for good does the same for the calls that draw into it.
class qt_window_system final : public QObject, public window_system {
  Q_OBJECT
 public:
  explicit qt_window_system(display_mode mode);
  ~qt_window_system() override;

  void open_graphics_window(int number, std::string_view title) override;
  void focus_graphics_window(int number) override;
  void clear_window() override;
  void set_color_index(int palette_index) override;
  void draw_rectangle(rectangle_style style, int x1, int y1, int x2, int y2) override;
  void set_viewport(int x1, int y1, int x2, int y2) override;
  void set_world_window(bool y_upwards, double x1, double y1, double x2, double y2) override;
  void set_color_rgb(int red, int green, int blue) override;
  void draw_rectangle_world(rectangle_style style, double x1, double y1, double x2,
                            double y2) override;
  void wait_for_enter() override;
  void reset_window_mode() override;
  void set_font(std::string_view option_text) override;
  void set_text_color_index(int palette_index) override;
  void init_fonts() override;
  void move_to_world(double x, double y) override;
  void draw_text(std::string_view text) override;
  void draw_map(std::shared_ptr<const map_data> map) override;
  void present_frame() override;
  std::optional<window_picture> presented_picture(int number) const override;

  // Program thread, once its routine has returned: presents whatever any
  // window drew after its last frame, so that nothing drawn is lost.
  void present_unpresented();

  display_mode mode() const { return mode_; }

  // Before the program's thread starts: `watcher` is called on the program's
  // thread with a window's number each time that window presents a frame (the
  // served windows pass it on to their viewers). It must not wait.
  void set_frame_watcher(std::function<void(int)> watcher);
  // Any thread: off screen, whether someone watches the frames elsewhere, so
  // that presenting keeps the pace and waits for them as it does on screen.
  void set_watched(bool watched);
  bool watched() const { return watched_; }
  // The pace of presented frames on screen, for all windows.
  frame_pace& pace() { return pace_; }
  window_canvases& canvases() { return canvases_; }
  // Window 0: the picture the console window shows while it is drawn into.
  window_canvas& console_canvas() { return canvases_.console(); }

  // Before the program's thread starts: window 0 and the console are shown
  // in a window, whose input line wait_for_enter waits for. Without one,
  // wait_for_enter reads standard input.
  void attach_console_window();
  // Any thread: the user entered a line on the console.
  void deliver_input_line();
  // Any thread: ends every wait at once and makes every later drawing call
  // throw program_cancelled.
  void cancel();
  bool cancelled() const;
  // Any thread: window `number` is closed for good. Drawing into it, a wait
  // for its paint or its pace, and opening or focusing it again throw
  // program_cancelled; the other windows go on.
  void close_window(int number);

  // A copy of window `number`'s presented picture; a null image for a window
  // that has presented nothing.
  QImage presented_image(int number) const;
  // The numbers of all windows opened or drawn into, window 0 included.
  std::vector<int> window_numbers() const;
  std::string window_title(int number) const;

 signals:
  // Graphics window `number`, if it is up, comes to the front.
  void raise_requested(int number);
  // Window `number` has presented a frame: show it (and the window, if new).
  void frame_presented(int number);
  // The console in text use: its lines are cleared, their colour changes,
  // the console shows window 0's picture or its text again.
  void console_text_cleared();
  void console_text_color_changed(mapplot::rgb_color color);
  void console_picture_shown();
  void console_text_shown();
  // wait_for_enter waits for a line from the console's input.
  void input_line_requested();

 private:
  // Throws program_cancelled once the layer or the program is cancelled.
  void throw_if_layer_cancelled() const;
  // The same, or once the current window is closed.
  void throw_if_cancelled() const;
  // The window `number`, made on first use; throws when it was closed.
  window_canvas& open_canvas(int number);
  // Runs `draw` on the current window's back picture and notes that the
  // console, if that is the window, now shows a picture.
  template <class Drawing>
  void draw_into_current(Drawing&& draw);
  void present(window_canvas& canvas);
  void wait_for_console_line();
  bool on_screen() const { return mode_ == display_mode::on_screen; }
  bool paced() const { return on_screen() || watched_; }

  const display_mode mode_;
  frame_pace pace_;
  window_canvases canvases_;
  window_canvas* console_ = nullptr;
  window_canvas* current_ = nullptr;    // program thread
  bool console_shows_picture_ = false;  // program thread
  std::atomic<bool> cancelled_{false};
  std::atomic<bool> console_window_{false};
  std::atomic<bool> watched_{false};
  std::function<void(int)> frame_watcher_;

  std::mutex input_lock_;
  std::condition_variable input_arrived_;
  bool input_line_entered_ = false;
};

}  // namespace mapplot
