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

#include "platform/qt/graphics_canvas.hpp"
#include "platform/window_system.hpp"

namespace mapplot {

class frame_window;
class graphics_view;

enum class display_mode {
  on_screen,   // windows are shown, and drawing keeps pace with their painting
  off_screen,  // canvases only: no windows, nothing waits
};

// The windowing layer on Qt. Drawing operations come from the program's
// thread and write into per-window canvases under the canvas's lock; the GUI
// thread (the object's own) creates the windows and copies canvases to the
// screen when asked. Create and destroy it on the GUI thread, and only once
// no program thread draws any more.
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

  // Window 0: the picture the console window shows while it is drawn into.
  graphics_canvas& console_canvas() { return *console_; }
  // GUI thread, before the program's thread starts: the console window that
  // shows window 0 and takes the lines wait_for_enter waits for.
  void attach_frame_window(frame_window* frame);
  // GUI thread: the user entered a line on the console.
  void deliver_input_line();
  // Makes every later operation return at once and wakes one that waits, so a
  // program thread cannot hold up the end of the program.
  void cancel();

  // A copy of window `number`'s pixels; a null image for a window never drawn.
  QImage canvas_snapshot(int number) const;
  // The numbers of all windows opened or drawn into, window 0 included.
  std::vector<int> window_numbers() const;
  std::string window_title(int number) const;

 private:
  graphics_canvas& canvas_numbered(int number);
  // Runs `draw` on the current canvas under its lock, after keeping pace with
  // the screen, then has the change shown.
  // A template rather than std::function: it runs for every cell of a map,
  // and the captures would not fit std::function's inline buffer.
  template <class Drawing>
  void draw_into_current(Drawing&& draw);
  void keep_pace(graphics_canvas& canvas, std::unique_lock<std::mutex>& lock);
  void show_change(graphics_canvas& canvas, bool switched_to_graphics);
  void post(std::function<void()> task);
  // GUI thread.
  graphics_view& view_for(graphics_canvas& canvas);
  void repaint(graphics_canvas& canvas);

  const display_mode mode_;
  mutable std::mutex canvases_lock_;
  std::map<int, std::unique_ptr<graphics_canvas>> canvases_;
  graphics_canvas* console_ = nullptr;
  graphics_canvas* current_ = nullptr;  // program thread
  std::atomic<bool> cancelled_{false};
  std::atomic<frame_window*> frame_{nullptr};

  std::mutex input_lock_;
  std::condition_variable input_arrived_;
  bool input_line_entered_ = false;

  std::map<int, std::unique_ptr<graphics_view>> views_;  // GUI thread
};

}  // namespace mapplot
