#include "platform/qt/qt_window_system.hpp"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMetaObject>
#include <cstdio>

#include "platform/frame_receivers.hpp"
#include "platform/qt/canvas_drawing.hpp"
#include "platform/qt/frame_window.hpp"
#include "platform/qt/graphics_view.hpp"
#include "platform/qt/picture_file.hpp"
#include "platform/qt/screen_placement.hpp"
#include "textout/write_console.hpp"

namespace mapplot {
namespace {

constexpr pixel_rectangle whole_canvas{0, 0, canvas_extent_limit - 1, canvas_extent_limit - 1};

pixel_rectangle drawing_bounds(const drawing_state& state) {
  return state.viewport.value_or(whole_canvas);
}

std::string default_title(int number) {
  return "Window " + std::to_string(number);
}

frame_pace::clock::duration starting_interval(display_mode mode) {
  if (mode == display_mode::off_screen || qGuiApp == nullptr) return {};
  return refresh_period(QGuiApplication::primaryScreen());
}

}  // namespace

qt_window_system::qt_window_system(display_mode mode)
    : mode_(mode), pace_(starting_interval(mode)) {
  auto console = std::make_unique<window_canvas>(0);
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

window_canvas& qt_window_system::canvas_numbered(int number) {
  std::scoped_lock lock(canvases_lock_);
  auto& slot = canvases_[number];
  if (!slot) {
    slot = std::make_unique<window_canvas>(number);
    slot->set_title(default_title(number));
  }
  return *slot;
}

window_canvas* qt_window_system::find_canvas(int number) const {
  std::scoped_lock lock(canvases_lock_);
  const auto found = canvases_.find(number);
  return found == canvases_.end() ? nullptr : found->second.get();
}

template <class Drawing>
void qt_window_system::draw_into_current(Drawing&& draw) {
  current_->draw(std::forward<Drawing>(draw));
  if (current_ == console_) console_shows_picture_ = true;
}

void qt_window_system::open_graphics_window(int number, std::string_view title) {
  if (cancelled_) return;
  if (number == 0) {
    focus_graphics_window(0);
    return;
  }
  window_canvas& canvas = canvas_numbered(number);
  canvas.set_title(std::string(title));
  canvas.state() = drawing_state{};
  current_ = &canvas;
  // The window itself appears with its first frame, already the right size;
  // one that is up already takes the new title and comes forward.
  if (mode_ == display_mode::on_screen) {
    post([this, &canvas] {
      const auto view = views_.find(canvas.number());
      if (view == views_.end() || !view->second->isVisible()) return;
      view_for(canvas).raise();
    });
  }
}

void qt_window_system::focus_graphics_window(int number) {
  if (cancelled_) return;
  window_canvas& canvas = number == 0 ? *console_ : canvas_numbered(number);
  const bool switching = current_ != &canvas;
  current_ = &canvas;
  // Raising on every frame of an animation would fight the user for the
  // front; only a change of window comes forward.
  if (switching && mode_ == display_mode::on_screen && number != 0) {
    post([this, &canvas] {
      const auto view = views_.find(canvas.number());
      if (view != views_.end() && view->second->isVisible()) view->second->raise();
    });
  }
}

void qt_window_system::clear_window() {
  if (cancelled_) return;
  if (current_ == console_ && !console_shows_picture_) {
    // The console in text use is cleared as text; its picture starts black
    // when a map is next drawn into it.
    console_->erase_back();
    if (frame_window* frame = frame_.load()) post([frame] { frame->clear_text(); });
    return;
  }
  draw_into_current([](QImage& image, const drawing_state&) {
    if (!image.isNull()) image.fill(Qt::black);
  });
}

void qt_window_system::set_color_index(int palette_index) {
  current_->state().color = default_palette_color(palette_index);
}

void qt_window_system::set_color_rgb(int red, int green, int blue) {
  current_->state().color = clamped_rgb(red, green, blue);
}

void qt_window_system::draw_rectangle(rectangle_style style, int x1, int y1, int x2, int y2) {
  if (cancelled_) return;
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
  if (cancelled_) return;
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
  current_->state().world = {y_upwards, x1, y1, x2, y2};
}

void qt_window_system::draw_rectangle_world(rectangle_style style, double x1, double y1, double x2,
                                            double y2) {
  if (cancelled_) return;
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
  current_->state().map = std::move(map);
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
  current_->state() = drawing_state{};
  if (current_ != console_) return;
  const bool was_showing_picture = console_shows_picture_;
  console_shows_picture_ = false;
  if (frame_window* frame = frame_.load()) {
    if (was_showing_picture) post([frame] { frame->show_text(); });
    post([frame] { frame->set_text_color(default_palette_color(7)); });
  }
}

void qt_window_system::set_font(std::string_view option_text) {
  if (const auto font = parse_font_option(option_text)) current_->state().font = *font;
}

void qt_window_system::set_text_color_index(int palette_index) {
  const rgb_color color = default_palette_color(palette_index);
  current_->state().text_color = color;
  frame_window* frame = frame_.load();
  if (current_ == console_ && frame != nullptr && !cancelled_) {
    post([frame, color] { frame->set_text_color(color); });
  }
}

void qt_window_system::init_fonts() {}

void qt_window_system::move_to_world(double x, double y) {
  drawing_state& state = current_->state();
  state.position = world_to_pixel(drawing_bounds(state), state.world, x, y);
}

void qt_window_system::draw_text(std::string_view text) {
  if (cancelled_) return;
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
  std::vector<window_canvas*> all;
  {
    std::scoped_lock lock(canvases_lock_);
    for (const auto& [number, canvas] : canvases_) all.push_back(canvas.get());
  }
  for (window_canvas* canvas : all) {
    if (canvas->has_unpresented_drawing()) present(*canvas);
  }
}

void qt_window_system::present(window_canvas& canvas) {
  if (cancelled_) return;
  const auto frame_number = canvas.present(mode_ == display_mode::on_screen ? &pace_ : nullptr);
  if (!frame_number) return;

  if (mode_ == display_mode::on_screen) {
    frame_window* frame = frame_.load();
    const bool console = &canvas == console_;
    if (console && frame != nullptr && console_shows_picture_) {
      post([frame] { frame->show_canvas(); });
    }
    if (canvas.request_repaint()) post([this, &canvas] { repaint(canvas); });
    // The repaint shows the window if it is not up yet, and the next frame
    // waits for this one's paint from the start.
    if (!console || frame != nullptr) canvas.set_shown(true);
  }

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

graphics_view& qt_window_system::view_for(window_canvas& canvas) {
  if (&canvas == console_) {
    if (frame_window* frame = frame_.load()) return frame->canvas_view();
  }
  auto& view = views_[canvas.number()];
  if (!view) {
    view = std::make_unique<graphics_view>(canvas);
    // Its own window: it takes the keys that steer the program.
    view->setFocusPolicy(Qt::StrongFocus);
    connect(view.get(), &graphics_view::command_given, this,
            [this, shown = view.get(), &canvas](window_command command) {
              carry_out(command, *shown, canvas);
            });
  }
  view->setWindowTitle(QString::fromStdString(canvas.title()));
  return *view;
}

void qt_window_system::repaint(window_canvas& canvas) {
  canvas.repaint_started();
  if (&canvas == console_) {
    if (frame_window* frame = frame_.load()) frame->canvas_view().sync_with_canvas();
    return;
  }
  const bool first_showing = !views_.contains(canvas.number());
  graphics_view& view = view_for(canvas);
  view.sync_with_canvas();
  if (view.isVisible()) return;
  if (first_showing) place_graphics_window(view, canvas.number(), frame_.load());
  view.show();
  view.raise();
}

void qt_window_system::carry_out(window_command command, const graphics_view& view,
                                 const window_canvas& canvas) {
  switch (command) {
    case window_command::toggle_pause:
      if (pace_.paused()) {
        pace_.resume();
      } else {
        pace_.pause();
      }
      if (frame_window* frame = frame_.load()) frame->set_paused(pace_.paused());
      break;
    case window_command::step:
      pace_.step();
      break;
    case window_command::faster:
      pace_.double_pace(refresh_period(view.screen()));
      break;
    case window_command::slower:
      pace_.halve_pace(refresh_period(view.screen()));
      break;
    case window_command::save_picture:
      save_shown_picture(canvas);
      break;
    case window_command::none:
      break;
  }
}

void qt_window_system::save_shown_picture(const window_canvas& canvas) {
  const numbered_picture shown = canvas.presented_numbered_picture();
  const std::string window = std::to_string(canvas.number());
  const std::string name = QCoreApplication::applicationName().toStdString() + "-window-" + window +
                           "-" + std::to_string(shown.frame_number) + ".png";
  // In the current folder, and named on the console as the other outputs name
  // their files, relative to it: a short name that the console does not wrap.
  if (const auto failure = save_picture_file(shown.picture, name)) {
    write_console({std::string_view(" Cannot save window "), std::string_view(window),
                   std::string_view(" as "), std::string_view(name), std::string_view(": "),
                   std::string_view(*failure)});
    return;
  }
  write_console({std::string_view(" Window "), std::string_view(window),
                 std::string_view(" saved as "), std::string_view(name)});
}

void qt_window_system::cancel() {
  cancelled_ = true;
  pace_.cancel();
  { std::scoped_lock lock(input_lock_); }
  input_arrived_.notify_all();
  std::scoped_lock lock(canvases_lock_);
  for (auto& [number, canvas] : canvases_) canvas->cancel();
}

QImage qt_window_system::presented_image(int number) const {
  const window_canvas* canvas = find_canvas(number);
  return canvas == nullptr ? QImage() : canvas->presented_image();
}

std::optional<window_picture> qt_window_system::presented_picture(int number) const {
  const window_canvas* canvas = find_canvas(number);
  if (canvas == nullptr) return std::nullopt;
  return canvas->presented_picture();
}

std::vector<int> qt_window_system::window_numbers() const {
  std::scoped_lock lock(canvases_lock_);
  std::vector<int> numbers;
  for (const auto& [number, canvas] : canvases_) numbers.push_back(number);
  return numbers;
}

std::string qt_window_system::window_title(int number) const {
  const window_canvas* canvas = find_canvas(number);
  return canvas == nullptr ? std::string() : canvas->title();
}

}  // namespace mapplot
