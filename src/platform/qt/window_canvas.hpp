#pragma once

#include <QImage>
#include <QSize>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mapplot/window_pictures.hpp>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <type_traits>

#include "platform/font_option.hpp"
#include "platform/frame_pace.hpp"
#include "platform/map_data.hpp"
#include "platform/palette.hpp"
#include "platform/world_transform.hpp"

namespace mapplot {

// A map where the program drew it: its data, the viewport and world window it
// was drawn through. Kept so that a window can draw other views of it.
struct placed_map {
  std::shared_ptr<const map_data> map;
  pixel_rectangle viewport;
  world_window world;
};

// What the drawing operations of one window set and later ones read.
struct drawing_state {
  std::optional<pixel_rectangle> viewport;  // none: the whole canvas, unclipped up to the limit
  world_window world;
  rgb_color color = default_palette_color(7);
  rgb_color text_color = default_palette_color(7);
  std::optional<pixel_point> position;  // none after a position that had no pixel
  font_choice font = terminal_font();
  std::optional<placed_map> map;  // the map drawn since the window was last cleared
};

// A presented frame's picture with its number.
struct numbered_picture {
  QImage picture;  // null before the first frame
  long long frame_number = 0;
};

// A presented frame whole: its picture, number and the map it shows, taken
// together so that they belong to the same frame.
struct canvas_frame {
  QImage picture;  // null before the first frame
  long long frame_number = 0;
  std::optional<placed_map> map;
};

// One window's pictures and the hand-off between two threads. The program's
// thread composes a frame in the back picture, which no other thread ever
// reads, and presents it: the back picture is copied whole into the front
// one. The GUI thread only ever paints the front picture. So the screen sees
// whole frames or nothing, and the program draws the next frame while the
// current one waits to be painted.
class window_canvas {
 public:
  using clock = std::chrono::steady_clock;

  // A window that does not paint within this time of a frame's presentation
  // (hidden, minimised, covered) stops holding the program up until it paints
  // again.
  static constexpr clock::duration usual_paint_wait = std::chrono::milliseconds(100);

  explicit window_canvas(int number, clock::duration longest_paint_wait = usual_paint_wait)
      : number_(number), longest_paint_wait_(longest_paint_wait) {}
  window_canvas(const window_canvas&) = delete;
  window_canvas& operator=(const window_canvas&) = delete;

  int number() const { return number_; }

  // Program thread: draws into the back picture. `drawing(QImage&, const
  // drawing_state&)` may grow the picture.
  template <class Drawing>
  void draw(Drawing&& drawing) {
    drawing(back_, state_);
    unpresented_ = true;
  }
  // Program thread: blacks out the back picture without making a frame of it
  // (the console in text use is cleared as text, not as a picture).
  void erase_back() {
    if (!back_.isNull()) back_.fill(Qt::black);
  }
  // Program thread: the state later drawing reads (colour, viewport, font).
  drawing_state& state() { return state_; }
  // Program thread: the back picture as drawn so far.
  const QImage& back() const { return back_; }
  bool has_unpresented_drawing() const { return unpresented_; }

  // Program thread: shows what was drawn since the last frame, whole. With a
  // pace (on screen) it first waits for the previous frame to be painted, at
  // most the longest paint wait after it was presented, then for the pace's
  // turn.
  // Returns the new frame's number (1 for the first), or nothing when nothing
  // was drawn or the canvas was cancelled.
  std::optional<long long> present(frame_pace* pace);

  // GUI thread: `paint_front(const QImage&)` copies the presented picture to
  // the screen; the frame then counts as painted. A painting that also takes
  // `const std::optional<placed_map>&` is given the map that frame shows.
  template <class Painting>
  void paint(Painting&& paint_front) {
    {
      std::scoped_lock lock(lock_);
      if constexpr (std::is_invocable_v<Painting, const QImage&, const std::optional<placed_map>&>)
        paint_front(front_, front_map_);
      else
        paint_front(front_);
      painted_ = true;
      paint_stalled_ = false;
    }
    painted_or_hidden_.notify_all();
  }
  // Any thread: frame `frame_number` has been seen elsewhere (a served viewer
  // showed it where no window paints), which counts as its paint. An older
  // frame's sighting only ends a stall: the next frame is waited for again.
  void frame_seen(long long frame_number);
  // Whether the window is shown, or about to be (GUI thread, or the layer as it
  // asks for the window to be shown); a hidden one is not waited for.
  void set_shown(bool shown);
  // GUI thread: the refresh period of the screen the window is on.
  void set_refresh_period(clock::duration period);
  // Program thread, after presenting: whether a repaint must be posted, which
  // is not so while one is still pending. GUI thread: the posted repaint runs.
  bool request_repaint() { return !repaint_pending_.exchange(true); }
  void repaint_started() { repaint_pending_ = false; }

  // Any thread: ends every wait at once; nothing is presented afterwards. A
  // wait on the pace ends once the pace wakes its waits.
  void cancel();
  bool cancelled() const { return cancelled_; }

  // Any thread.
  QSize presented_size() const;
  QImage presented_image() const;  // a copy; null before the first frame
  std::optional<window_picture> presented_picture() const;
  numbered_picture presented_numbered_picture() const;  // a copy
  std::optional<placed_map> presented_map() const;      // the map the presented frame shows
  canvas_frame presented() const;                       // a copy
  long long frame_number() const;
  std::string title() const;
  void set_title(std::string title);

 private:
  const int number_;
  const clock::duration longest_paint_wait_;

  // The program's thread's own.
  QImage back_;  // RGB32; black wherever nothing was drawn
  drawing_state state_;
  bool unpresented_ = false;
  std::optional<clock::time_point> turn_;  // when the pace gave the last frame its turn

  mutable std::mutex lock_;  // guards everything below but the atomic
  std::condition_variable painted_or_hidden_;
  QImage front_;
  std::optional<placed_map> front_map_;
  long long frame_number_ = 0;
  std::optional<clock::time_point> presented_at_;
  bool painted_ = true;
  bool paint_stalled_ = false;
  bool shown_ = false;
  // Set under the lock, for the paint wait; read without it by the pace's wait.
  std::atomic<bool> cancelled_{false};
  clock::duration refresh_period_ = clock::duration::zero();
  std::string title_;
  std::atomic<bool> repaint_pending_{false};
};

}  // namespace mapplot
