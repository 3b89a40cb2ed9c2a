#pragma once

#include <QImage>
#include <QObject>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/frame_pace.hpp"
#include "platform/qt/window_canvas.hpp"
#include "platform/qt/window_keys.hpp"
#include "platform/window_system.hpp"

namespace mapplot {

class frame_window;
class graphics_view;

enum class display_mode {
  on_screen,   // windows are shown, and presenting keeps pace with their painting
  off_screen,  // canvases only: no windows, nothing waits
};

// The windowing layer on Qt. Drawing operations come from the program's
// thread and go into each window's back picture; present_frame hands a whole
// frame to the GUI thread (the object's own), which creates and places the
// windows and copies presented frames to the screen. Create and destroy it on
// the GUI thread, and only once no program thread draws any more.
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

  // The pace of presented frames on screen, for all windows.
  frame_pace& pace() { return pace_; }

  // Window 0: the picture the console window shows while it is drawn into.
  window_canvas& console_canvas() { return *console_; }
  // GUI thread, before the program's thread starts: the console window that
  // shows window 0 and takes the lines wait_for_enter waits for.
  void attach_frame_window(frame_window* frame);
  // GUI thread: the user entered a line on the console.
  void deliver_input_line();
  // Makes every later operation return at once and wakes one that waits, so a
  // program thread cannot hold up the end of the program.
  void cancel();

  // A copy of window `number`'s presented picture; a null image for a window
  // that has presented nothing.
  QImage presented_image(int number) const;
  // The numbers of all windows opened or drawn into, window 0 included.
  std::vector<int> window_numbers() const;
  std::string window_title(int number) const;

 private:
  window_canvas& canvas_numbered(int number);
  window_canvas* find_canvas(int number) const;
  // Runs `draw` on the current window's back picture and notes that the
  // console, if that is the window, now shows a picture.
  template <class Drawing>
  void draw_into_current(Drawing&& draw);
  void present(window_canvas& canvas);
  void post(std::function<void()> task);
  // GUI thread.
  graphics_view& view_for(window_canvas& canvas);
  void repaint(window_canvas& canvas);
  // A key pressed in graphics window `view`, which shows `canvas`.
  void carry_out(window_command command, const graphics_view& view, const window_canvas& canvas);
  // The picture the window shows now as "<application>-window-<N>-<frame>.png"
  // in the current folder, said on the console.
  void save_shown_picture(const window_canvas& canvas);

  const display_mode mode_;
  frame_pace pace_;
  mutable std::mutex canvases_lock_;
  std::map<int, std::unique_ptr<window_canvas>> canvases_;
  window_canvas* console_ = nullptr;
  window_canvas* current_ = nullptr;    // program thread
  bool console_shows_picture_ = false;  // program thread
  std::atomic<bool> cancelled_{false};
  std::atomic<frame_window*> frame_{nullptr};

  std::mutex input_lock_;
  std::condition_variable input_arrived_;
  bool input_line_entered_ = false;

  std::map<int, std::unique_ptr<graphics_view>> views_;  // GUI thread
};

}  // namespace mapplot
