#include "platform/qt/qt_window_system.hpp"

#include <poll.h>
#include <unistd.h>

#include <QGuiApplication>
#include <cerrno>
#include <cstdio>

#include "platform/cancellation.hpp"
#include "platform/frame_receivers.hpp"
#include "platform/qt/canvas_drawing.hpp"
#include "platform/qt/graphics_view.hpp"

namespace mapplot {
namespace {

constexpr pixel_rectangle whole_canvas{0, 0, canvas_extent_limit - 1, canvas_extent_limit - 1};

pixel_rectangle drawing_bounds(const drawing_state& state) {
  return state.viewport.value_or(whole_canvas);
}

frame_pace::clock::duration starting_interval(display_mode mode) {
  if (mode == display_mode::off_screen || qGuiApp == nullptr) return {};
  return refresh_period(QGuiApplication::primaryScreen());
}

// Off screen the console is standard input: reads up to the end of a line or
// of the input. Read a byte at a time, so that nothing after the line is
// taken from a program that reads standard input itself, and beside the
// cancellation's descriptor, so that a signal ends the wait.
void read_standard_input_line() {
  std::fflush(stdout);
  pollfd watched[2] = {{STDIN_FILENO, POLLIN, 0}, {cancellation_descriptor(), POLLIN, 0}};
  for (;;) {
    throw_if_cancelled();
    if (::poll(watched, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (watched[1].revents != 0) throw_if_cancelled();
    if (watched[0].revents == 0) continue;
    char character = 0;
    const ssize_t read = ::read(STDIN_FILENO, &character, 1);
    if (read < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (read <= 0 || character == '\n') return;
  }
}

}  // namespace

qt_window_system::qt_window_system(display_mode mode)
    : mode_(mode), pace_(starting_interval(mode)) {
  console_ = &canvases_.console();
  current_ = console_;
}

qt_window_system::~qt_window_system() = default;

void qt_window_system::attach_console_window() {
  console_window_ = true;
}

void qt_window_system::set_frame_watcher(std::function<void(int)> watcher) {
  frame_watcher_ = std::move(watcher);
}

void qt_window_system::set_watched(bool watched) {
  if (on_screen()) return;
  watched_ = watched;
  // Off screen the watchers stand in for the windows: without them nothing
  // waits for a paint, and nothing stays paused.
  for (window_canvas* canvas : canvases_.all()) canvas->set_shown(watched);
  if (!watched) pace_.resume();
}

void qt_window_system::throw_if_layer_cancelled() const {
  if (cancelled_ || cancellation_requested()) throw program_cancelled();
}

void qt_window_system::throw_if_cancelled() const {
  throw_if_layer_cancelled();
  if (current_->cancelled()) throw program_cancelled();
}

window_canvas& qt_window_system::open_canvas(int number) {
  window_canvas& canvas = number == 0 ? *console_ : canvases_.numbered(number);
  if (canvas.cancelled()) throw program_cancelled();
  return canvas;
}

template <class Drawing>
void qt_window_system::draw_into_current(Drawing&& draw) {
  throw_if_cancelled();
  current_->draw(std::forward<Drawing>(draw));
  if (current_ == console_) console_shows_picture_ = true;
}

void qt_window_system::open_graphics_window(int number, std::string_view title) {
  // Another window than a closed current one may still be opened.
  throw_if_layer_cancelled();
  if (number == 0) {
    focus_graphics_window(0);
    return;
  }
  window_canvas& canvas = open_canvas(number);
  canvas.set_title(std::string(title));
  canvas.state() = drawing_state{};
  current_ = &canvas;
  // The window itself appears with its first frame, already the right size;
  // one that is up already takes the new title and comes forward.
  if (on_screen()) emit raise_requested(number);
}

void qt_window_system::focus_graphics_window(int number) {
  throw_if_layer_cancelled();
  window_canvas& canvas = open_canvas(number);
  const bool switching = current_ != &canvas;
  current_ = &canvas;
  // Raising on every frame of an animation would fight the user for the
  // front; only a change of window comes forward.
  if (switching && on_screen() && number != 0) emit raise_requested(number);
}

void qt_window_system::clear_window() {
  throw_if_cancelled();
  if (current_ == console_ && !console_shows_picture_) {
    // The console in text use is cleared as text; its picture starts black
    // when a map is next drawn into it.
    console_->erase_back();
    if (console_window_) emit console_text_cleared();
    return;
  }
  draw_into_current([](QImage& image, const drawing_state&) {
    if (!image.isNull()) image.fill(Qt::black);
  });
  // A cleared window shows no map to examine.
  current_->state().map.reset();
}

void qt_window_system::set_color_index(int palette_index) {
  throw_if_cancelled();
  current_->state().color = default_palette_color(palette_index);
}

void qt_window_system::set_color_rgb(int red, int green, int blue) {
  throw_if_cancelled();
  current_->state().color = clamped_rgb(red, green, blue);
}

void qt_window_system::draw_rectangle(rectangle_style style, int x1, int y1, int x2, int y2) {
  draw_into_current([&](QImage& image, const drawing_state& state) {
    const pixel_rectangle bounds = drawing_bounds(state);
    const pixel_rectangle origin = state.viewport.value_or(pixel_rectangle{});
    const pixel_rectangle target = normalised(viewport_relative_to_window(origin, x1, y1, x2, y2));
    const auto visible = clipped(target, bounds);
    if (!visible) return;
    grow_canvas_to_hold(image, *visible);
    if (style == rectangle_style::filled) {
      fill_pixels(image, *visible, state.color);
    } else {
      outline_pixels(image, target, bounds, state.color);
    }
  });
}

void qt_window_system::set_viewport(int x1, int y1, int x2, int y2) {
  throw_if_cancelled();
  const auto viewport = clipped({x1, y1, x2, y2}, whole_canvas);
  if (!viewport) return;
  current_->state().viewport = viewport;
  draw_into_current([&](QImage& image, const drawing_state&) {
    // The same margin on the far side as on the near one.
    grow_canvas(image, std::max(viewport->right + viewport->left, viewport->right + 1),
                std::max(viewport->bottom + viewport->top, viewport->bottom + 1));
  });
}

void qt_window_system::set_world_window(bool y_upwards, double x1, double y1, double x2,
                                        double y2) {
  throw_if_cancelled();
  current_->state().world = {y_upwards, x1, y1, x2, y2};
}

void qt_window_system::draw_rectangle_world(rectangle_style style, double x1, double y1, double x2,
                                            double y2) {
  draw_into_current([&](QImage& image, const drawing_state& state) {
    const pixel_rectangle bounds = drawing_bounds(state);
    const auto target = world_rectangle_corners(bounds, state.world, x1, y1, x2, y2);
    if (!target) return;
    const auto visible = clipped(*target, bounds);
    if (!visible) return;
    grow_canvas_to_hold(image, *visible);
    if (style == rectangle_style::filled) {
      fill_pixels(image, *visible, state.color);
    } else {
      outline_pixels(image, *target, bounds, state.color);
    }
  });
}

void qt_window_system::draw_map(std::shared_ptr<const map_data> map) {
  if (cancelled_ || !map) return;
  draw_into_current([&](QImage& image, const drawing_state& state) {
    draw_map_pixels(image, *map, drawing_bounds(state), state.world, drawing_bounds(state));
  });
  drawing_state& state = current_->state();
  state.map = placed_map{std::move(map), drawing_bounds(state), state.world};
}

void qt_window_system::wait_for_enter() {
  throw_if_cancelled();
  if (console_window_) {
    wait_for_console_line();
  } else {
    read_standard_input_line();
  }
}

void qt_window_system::wait_for_console_line() {
  std::unique_lock lock(input_lock_);
  input_line_entered_ = false;
  emit input_line_requested();
  input_arrived_.wait(lock, [this] { return input_line_entered_ || cancelled_; });
  lock.unlock();
  throw_if_cancelled();
}

void qt_window_system::deliver_input_line() {
  {
    std::scoped_lock lock(input_lock_);
    input_line_entered_ = true;
  }
  input_arrived_.notify_all();
}

void qt_window_system::reset_window_mode() {
  throw_if_cancelled();
  current_->state() = drawing_state{};
  if (current_ != console_) return;
  const bool was_showing_picture = console_shows_picture_;
  console_shows_picture_ = false;
  if (console_window_) {
    if (was_showing_picture) emit console_text_shown();
    emit console_text_color_changed(default_palette_color(7));
  }
}

void qt_window_system::set_font(std::string_view option_text) {
  throw_if_cancelled();
  if (const auto font = parse_font_option(option_text)) current_->state().font = *font;
}

void qt_window_system::set_text_color_index(int palette_index) {
  throw_if_cancelled();
  const rgb_color color = default_palette_color(palette_index);
  current_->state().text_color = color;
  if (current_ == console_ && console_window_) emit console_text_color_changed(color);
}

void qt_window_system::init_fonts() {
  throw_if_cancelled();
}

void qt_window_system::move_to_world(double x, double y) {
  throw_if_cancelled();
  drawing_state& state = current_->state();
  state.position = world_to_pixel(drawing_bounds(state), state.world, x, y);
}

void qt_window_system::draw_text(std::string_view text) {
  draw_into_current([&](QImage& image, const drawing_state& state) {
    if (!state.position) return;
    const pixel_rectangle bounds = drawing_bounds(state);
    if (!state.viewport) {
      // An unbounded window grows to hold the text's cell row.
      const auto length = static_cast<long long>(text.size());
      const long long right = state.position->x + length * state.font.width;
      grow_canvas_to_hold(image, {state.position->x, state.position->y,
                                  static_cast<int>(std::min<long long>(right, canvas_extent_limit)),
                                  state.position->y + state.font.height});
    }
    draw_text_pixels(image, *state.position, text, state.font, bounds, state.color);
  });
}

void qt_window_system::present_frame() {
  present(*current_);
}

void qt_window_system::present_unpresented() {
  throw_if_layer_cancelled();
  // What a window closed for good still held is dropped with it.
  for (window_canvas* canvas : canvases_.all()) {
    if (canvas->has_unpresented_drawing() && !canvas->cancelled()) present(*canvas);
  }
}

void qt_window_system::present(window_canvas& canvas) {
  throw_if_cancelled();
  // Off screen a canvas made while someone watches is watched too.
  if (!on_screen() && watched_) canvas.set_shown(true);
  const auto frame_number = canvas.present(paced() ? &pace_ : nullptr);
  if (!frame_number) {
    // Nothing drawn, or the wait for the paint or the pace was cancelled.
    if (canvas.cancelled()) throw program_cancelled();
    throw_if_cancelled();
    return;
  }

  if (on_screen()) {
    const bool console = &canvas == console_;
    if (console && console_window_ && console_shows_picture_) emit console_picture_shown();
    if (canvas.request_repaint()) emit frame_presented(canvas.number());
    // The repaint shows the window if it is not up yet, and the next frame
    // waits for this one's paint from the start.
    if (!console || console_window_) canvas.set_shown(true);
  }

  if (frame_watcher_) frame_watcher_(canvas.number());

  // The back picture is the presented one until the next drawing, and only
  // this thread draws.
  const QImage& picture = canvas.back();
  deliver_presented_frame({.window_number = canvas.number(),
                           .frame_number = *frame_number,
                           .width = picture.width(),
                           .height = picture.height(),
                           .pixels = {reinterpret_cast<const std::uint32_t*>(picture.constBits()),
                                      static_cast<std::size_t>(picture.width()) *
                                          static_cast<std::size_t>(picture.height())}});
}

void qt_window_system::cancel() {
  cancelled_ = true;
  pace_.cancel();
  { std::scoped_lock lock(input_lock_); }
  input_arrived_.notify_all();
  canvases_.cancel_all();
}

bool qt_window_system::cancelled() const {
  return cancelled_;
}

void qt_window_system::close_window(int number) {
  if (number == 0) return;
  canvases_.numbered(number).cancel();
  pace_.wake_waits();
}

QImage qt_window_system::presented_image(int number) const {
  const window_canvas* canvas = canvases_.find(number);
  return canvas == nullptr ? QImage() : canvas->presented_image();
}

std::optional<window_picture> qt_window_system::presented_picture(int number) const {
  const window_canvas* canvas = canvases_.find(number);
  if (canvas == nullptr) return std::nullopt;
  return canvas->presented_picture();
}

std::vector<int> qt_window_system::window_numbers() const {
  return canvases_.numbers();
}

std::string qt_window_system::window_title(int number) const {
  const window_canvas* canvas = canvases_.find(number);
  return canvas == nullptr ? std::string() : canvas->title();
}

}  // namespace mapplot
