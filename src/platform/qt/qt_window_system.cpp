#include "platform/qt/qt_window_system.hpp"

#include <QMetaObject>
#include <cstdio>

#include "platform/qt/canvas_drawing.hpp"
#include "platform/qt/frame_window.hpp"
#include "platform/qt/graphics_view.hpp"

namespace mapplot {
namespace {

using namespace std::chrono_literals;

// A change that has waited longer than a display frame holds up the next
// drawing call, but never for longer than this.
constexpr auto display_frame = 16ms;
constexpr auto longest_pace_wait = 40ms;

constexpr pixel_rectangle whole_canvas{0, 0, canvas_extent_limit - 1, canvas_extent_limit - 1};

pixel_rectangle drawing_bounds(const drawing_state& state) {
  return state.viewport.value_or(whole_canvas);
}

std::string default_title(int number) {
  return "Window " + std::to_string(number);
}

}  // namespace

qt_window_system::qt_window_system(display_mode mode) : mode_(mode) {
  auto console = std::make_unique<graphics_canvas>(0);
  console_ = console.get();
  current_ = console_;
  canvases_.emplace(0, std::move(console));
}

qt_window_system::~qt_window_system() = default;

void qt_window_system::attach_frame_window(frame_window* frame) {
  frame_ = frame;
}

void qt_window_system::post(std::function<void()> task) {
  QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
}

graphics_canvas& qt_window_system::canvas_numbered(int number) {
  std::scoped_lock lock(canvases_lock_);
  auto& slot = canvases_[number];
  if (!slot) {
    slot = std::make_unique<graphics_canvas>(number);
    slot->title = default_title(number);
  }
  return *slot;
}

template <class Drawing>
void qt_window_system::draw_into_current(Drawing&& draw) {
  graphics_canvas& canvas = *current_;
  bool switched_to_graphics = false;
  {
    std::unique_lock lock(canvas.lock);
    keep_pace(canvas, lock);
    draw(canvas);
    if (&canvas == console_ && !canvas.showing_graphics) {
      canvas.showing_graphics = true;
      switched_to_graphics = true;
    }
    if (mode_ == display_mode::on_screen && !canvas.unpainted_since) {
      canvas.unpainted_since = std::chrono::steady_clock::now();
    }
  }
  show_change(canvas, switched_to_graphics);
}

void qt_window_system::open_graphics_window(int number, std::string_view title) {
  if (cancelled_) return;
  if (number == 0) {
    focus_graphics_window(0);
    return;
  }
  graphics_canvas& canvas = canvas_numbered(number);
  {
    std::scoped_lock lock(canvas.lock);
    canvas.title = std::string(title);
    canvas.state = drawing_state{};
  }
  current_ = &canvas;
  if (mode_ == display_mode::on_screen) {
    post([this, &canvas] {
      graphics_view& view = view_for(canvas);
      view.show();
      view.raise();
    });
  }
}

void qt_window_system::focus_graphics_window(int number) {
  if (cancelled_) return;
  graphics_canvas& canvas = number == 0 ? *console_ : canvas_numbered(number);
  const bool switching = current_ != &canvas;
  current_ = &canvas;
  // Raising on every frame of an animation would fight the user for the
  // front; only a change of window comes forward.
  if (switching && mode_ == display_mode::on_screen && number != 0) {
    post([this, &canvas] {
      graphics_view& view = view_for(canvas);
      view.show();
      view.raise();
    });
  }
}

void qt_window_system::clear_window() {
  if (cancelled_) return;
  if (current_ == console_) {
    bool showing_graphics = false;
    {
      std::scoped_lock lock(console_->lock);
      showing_graphics = console_->showing_graphics;
      if (!console_->image.isNull()) console_->image.fill(Qt::black);
    }
    if (!showing_graphics) {
      if (frame_window* frame = frame_.load()) post([frame] { frame->clear_text(); });
      return;
    }
  }
  draw_into_current([](graphics_canvas& canvas) {
    if (!canvas.image.isNull()) canvas.image.fill(Qt::black);
  });
}

void qt_window_system::set_color_index(int palette_index) {
  std::scoped_lock lock(current_->lock);
  current_->state.color = default_palette_color(palette_index);
}

void qt_window_system::set_color_rgb(int red, int green, int blue) {
  std::scoped_lock lock(current_->lock);
  current_->state.color = clamped_rgb(red, green, blue);
}

void qt_window_system::draw_rectangle(rectangle_style style, int x1, int y1, int x2, int y2) {
  if (cancelled_) return;
  draw_into_current([&](graphics_canvas& canvas) {
    const pixel_rectangle bounds = drawing_bounds(canvas.state);
    const pixel_rectangle origin = canvas.state.viewport.value_or(pixel_rectangle{});
    const pixel_rectangle target = normalised(viewport_relative_to_window(origin, x1, y1, x2, y2));
    const auto visible = clipped(target, bounds);
    if (!visible) return;
    grow_canvas_to_hold(canvas.image, *visible);
    if (style == rectangle_style::filled) {
      fill_pixels(canvas.image, *visible, canvas.state.color);
    } else {
      outline_pixels(canvas.image, target, bounds, canvas.state.color);
    }
  });
}

void qt_window_system::set_viewport(int x1, int y1, int x2, int y2) {
  if (cancelled_) return;
  draw_into_current([&](graphics_canvas& canvas) {
    const auto viewport = clipped({x1, y1, x2, y2}, whole_canvas);
    if (!viewport) return;
    canvas.state.viewport = viewport;
    // The same margin on the far side as on the near one.
    grow_canvas(canvas.image, std::max(viewport->right + viewport->left, viewport->right + 1),
                std::max(viewport->bottom + viewport->top, viewport->bottom + 1));
  });
}

void qt_window_system::set_world_window(bool y_upwards, double x1, double y1, double x2,
                                        double y2) {
  std::scoped_lock lock(current_->lock);
  current_->state.world = {y_upwards, x1, y1, x2, y2};
}

void qt_window_system::draw_rectangle_world(rectangle_style style, double x1, double y1, double x2,
                                            double y2) {
  if (cancelled_) return;
  draw_into_current([&](graphics_canvas& canvas) {
    const pixel_rectangle bounds = drawing_bounds(canvas.state);
    const auto target = world_rectangle_corners(bounds, canvas.state.world, x1, y1, x2, y2);
    if (!target) return;
    const auto visible = clipped(*target, bounds);
    if (!visible) return;
    grow_canvas_to_hold(canvas.image, *visible);
    if (style == rectangle_style::filled) {
      fill_pixels(canvas.image, *visible, canvas.state.color);
    } else {
      outline_pixels(canvas.image, *target, bounds, canvas.state.color);
    }
  });
}

void qt_window_system::wait_for_enter() {
  if (cancelled_) return;
  frame_window* frame = frame_.load();
  if (frame == nullptr) {
    // Off screen the console is standard input and output.
    std::fflush(stdout);
    int character = 0;
    while ((character = std::fgetc(stdin)) != EOF && character != '\n') {
    }
    return;
  }
  std::unique_lock lock(input_lock_);
  input_line_entered_ = false;
  post([frame] { frame->request_input_line(); });
  input_arrived_.wait(lock, [this] { return input_line_entered_ || cancelled_; });
}

void qt_window_system::deliver_input_line() {
  {
    std::scoped_lock lock(input_lock_);
    input_line_entered_ = true;
  }
  input_arrived_.notify_all();
}

void qt_window_system::reset_window_mode() {
  if (cancelled_) return;
  graphics_canvas& canvas = *current_;
  bool was_showing_graphics = false;
  {
    std::scoped_lock lock(canvas.lock);
    canvas.state = drawing_state{};
    was_showing_graphics = canvas.showing_graphics;
    canvas.showing_graphics = false;
  }
  if (&canvas == console_) {
    frame_window* frame = frame_.load();
    if (frame != nullptr && was_showing_graphics) post([frame] { frame->show_text(); });
    if (frame != nullptr) {
      post([frame] { frame->set_text_color(default_palette_color(7)); });
    }
  }
}

void qt_window_system::set_font(std::string_view option_text) {
  const auto font = parse_font_option(option_text);
  if (!font) return;
  std::scoped_lock lock(current_->lock);
  current_->state.font = *font;
}

void qt_window_system::set_text_color_index(int palette_index) {
  const rgb_color color = default_palette_color(palette_index);
  {
    std::scoped_lock lock(current_->lock);
    current_->state.text_color = color;
  }
  frame_window* frame = frame_.load();
  if (current_ == console_ && frame != nullptr && !cancelled_) {
    post([frame, color] { frame->set_text_color(color); });
  }
}

void qt_window_system::init_fonts() {}

void qt_window_system::move_to_world(double x, double y) {
  std::scoped_lock lock(current_->lock);
  drawing_state& state = current_->state;
  state.position = world_to_pixel(drawing_bounds(state), state.world, x, y);
}

void qt_window_system::draw_text(std::string_view text) {
  if (cancelled_) return;
  draw_into_current([&](graphics_canvas& canvas) {
    const drawing_state& state = canvas.state;
    if (!state.position) return;
    const pixel_rectangle bounds = drawing_bounds(state);
    if (!state.viewport) {
      // An unbounded window grows to hold the text's cell row.
      const auto length = static_cast<long long>(text.size());
      const long long right = state.position->x + length * state.font.width;
      grow_canvas_to_hold(canvas.image,
                          {state.position->x, state.position->y,
                           static_cast<int>(std::min<long long>(right, canvas_extent_limit)),
                           state.position->y + state.font.height});
    }
    draw_text_pixels(canvas.image, *state.position, text, state.font, bounds, state.color);
  });
}

void qt_window_system::keep_pace(graphics_canvas& canvas, std::unique_lock<std::mutex>& lock) {
  if (mode_ != display_mode::on_screen || !canvas.shown || canvas.paint_stalled ||
      !canvas.unpainted_since) {
    return;
  }
  if (std::chrono::steady_clock::now() - *canvas.unpainted_since < display_frame) return;
  const bool painted = canvas.painted.wait_for(lock, longest_pace_wait, [&] {
    return !canvas.unpainted_since || cancelled_ || !canvas.shown;
  });
  // A window that is not being painted (minimised, covered) must not slow
  // every call down: wait again only once a paint has come.
  if (!painted) canvas.paint_stalled = true;
}

void qt_window_system::show_change(graphics_canvas& canvas, bool switched_to_graphics) {
  if (mode_ != display_mode::on_screen) return;
  if (switched_to_graphics) {
    if (frame_window* frame = frame_.load()) post([frame] { frame->show_canvas(); });
  }
  if (!canvas.repaint_pending.exchange(true)) post([this, &canvas] { repaint(canvas); });
}

graphics_view& qt_window_system::view_for(graphics_canvas& canvas) {
  if (&canvas == console_) {
    if (frame_window* frame = frame_.load()) return frame->canvas_view();
  }
  auto& view = views_[canvas.number];
  if (!view) view = std::make_unique<graphics_view>(canvas);
  std::string title;
  {
    std::scoped_lock lock(canvas.lock);
    title = canvas.title;
  }
  view->setWindowTitle(QString::fromStdString(title));
  return *view;
}

void qt_window_system::repaint(graphics_canvas& canvas) {
  canvas.repaint_pending = false;
  if (&canvas == console_ && frame_.load() == nullptr) return;
  graphics_view& view = view_for(canvas);
  if (&canvas != console_ && !view.isVisible()) view.show();
  view.sync_with_canvas();
}

void qt_window_system::cancel() {
  cancelled_ = true;
  { std::scoped_lock lock(input_lock_); }
  input_arrived_.notify_all();
  std::scoped_lock lock(canvases_lock_);
  for (auto& [number, canvas] : canvases_) {
    { std::scoped_lock canvas_lock(canvas->lock); }
    canvas->painted.notify_all();
  }
}

QImage qt_window_system::canvas_snapshot(int number) const {
  std::scoped_lock lock(canvases_lock_);
  const auto found = canvases_.find(number);
  if (found == canvases_.end()) return {};
  std::scoped_lock canvas_lock(found->second->lock);
  return found->second->image.copy();
}

std::vector<int> qt_window_system::window_numbers() const {
  std::scoped_lock lock(canvases_lock_);
  std::vector<int> numbers;
  for (const auto& [number, canvas] : canvases_) numbers.push_back(number);
  return numbers;
}

std::string qt_window_system::window_title(int number) const {
  std::scoped_lock lock(canvases_lock_);
  const auto found = canvases_.find(number);
  if (found == canvases_.end()) return {};
  std::scoped_lock canvas_lock(found->second->lock);
  return found->second->title;
}

}  // namespace mapplot
