#include "platform/qt/window_views.hpp"

#include <QEvent>

#include "platform/frame_pace.hpp"
#include "platform/qt/frame_window.hpp"
#include "platform/qt/graphics_view.hpp"
#include "platform/qt/qt_window_system.hpp"
#include "platform/qt/screen_placement.hpp"
#include "platform/qt/window_commands.hpp"
#include "platform/qt/window_destruction_watch.hpp"

namespace mapplot {

window_views::window_views(qt_window_system& drawing, frame_window* frame,
                           graphics_window_closing closing)
    : drawing_(drawing),
      canvases_(drawing.canvases()),
      pace_(drawing.pace()),
      frame_(frame),
      closing_(closing) {
  constexpr auto queued = Qt::QueuedConnection;
  connect(&drawing, &qt_window_system::raise_requested, this, &window_views::raise_window, queued);
  connect(&drawing, &qt_window_system::frame_presented, this, &window_views::repaint_window,
          queued);
  if (frame_ == nullptr) return;
  drawing.attach_console_window();
  connect(&drawing, &qt_window_system::console_text_cleared, frame_, &frame_window::clear_text,
          queued);
  connect(&drawing, &qt_window_system::console_text_color_changed, frame_,
          &frame_window::set_text_color, queued);
  connect(&drawing, &qt_window_system::console_picture_shown, frame_, &frame_window::show_canvas,
          queued);
  connect(&drawing, &qt_window_system::console_text_shown, frame_, &frame_window::show_text,
          queued);
  connect(&drawing, &qt_window_system::input_line_requested, frame_,
          &frame_window::request_input_line, queued);
  connect(frame_, &frame_window::input_line_entered, &drawing,
          &qt_window_system::deliver_input_line);
}

window_views::~window_views() = default;

graphics_view* window_views::graphics_window(int number) const {
  const auto found = views_.find(number);
  return found == views_.end() ? nullptr : found->second.get();
}

bool window_views::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Close) {
    for (const auto& [number, view] : views_) {
      if (view.get() == watched) take_window_closed(number);
    }
  }
  return QObject::eventFilter(watched, event);
}

void window_views::take_window_closed(int number) {
  if (!closed_.insert(number).second) return;
  drawing_.close_window(number);
}

void window_views::raise_window(int number) {
  if (closed_.contains(number)) return;
  window_canvas* canvas = canvases_.find(number);
  graphics_view* view = graphics_window(number);
  if (canvas == nullptr || view == nullptr || !view->isVisible()) return;
  view_for(*canvas).raise();
}

graphics_view& window_views::view_for(window_canvas& canvas) {
  auto& view = views_[canvas.number()];
  if (!view) {
    view = std::make_unique<graphics_view>(canvas);
    // Its own window: it takes the keys that steer the program.
    view->setFocusPolicy(Qt::StrongFocus);
    connect(view.get(), &graphics_view::command_given, this, &window_views::carry_out);
    view->set_paused(pace_.paused());
    if (closing_ == graphics_window_closing::ends_its_drawing) {
      view->installEventFilter(this);
      // The caller's application decides when it ends, not the closing of
      // a window it did not make.
      view->setAttribute(Qt::WA_QuitOnClose, false);
    }
  }
  view->setWindowTitle(QString::fromStdString(canvas.title()));
  return *view;
}

void window_views::repaint_window(int number) {
  window_canvas* canvas = canvases_.find(number);
  if (canvas == nullptr) return;
  canvas->repaint_started();
  if (canvas == &canvases_.console()) {
    if (frame_ != nullptr) frame_->canvas_view().sync_with_canvas();
    return;
  }
  // A frame presented before the window was closed does not bring it back.
  if (closed_.contains(number)) return;
  const bool first_showing = !views_.contains(number);
  graphics_view& view = view_for(*canvas);
  view.sync_with_canvas();
  if (view.isVisible()) return;
  if (first_showing) place_graphics_window(view, number, frame_);
  view.show();
  view.raise();
  if (closing_ == graphics_window_closing::ends_its_drawing && first_showing) {
    auto& watch = destruction_watches_[number];
    watch = std::make_unique<window_destruction_watch>(view);
    connect(watch.get(), &window_destruction_watch::destroyed_from_outside, this,
            [this, number] { take_window_closed(number); });
  }
}

void window_views::carry_out(window_command command) {
  const auto* view = qobject_cast<const graphics_view*>(sender());
  if (view == nullptr) return;
  carry_out_window_command(command, {.view = *view, .pace = pace_, .frame = frame_});
  // Said in the graphics windows themselves, where the user looks.
  if (command == window_command::faster || command == window_command::slower) {
    if (graphics_view* shown = graphics_window(view->canvas().number()))
      shown->show_notice(pace_text(pace_));
  }
  for (const auto& [number, each] : views_) each->set_paused(pace_.paused());
}

void window_views::show_pause_state() {
  for (const auto& [number, each] : views_) each->set_paused(pace_.paused());
  if (frame_ != nullptr) frame_->set_paused(pace_.paused());
}

}  // namespace mapplot
