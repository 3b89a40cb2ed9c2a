// The map inside a caller's own Qt window: the map's data kept once, drawn at
// the cost of the widget's pixels for whatever view the user has chosen.
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <charconv>
#include <cmath>
#include <limits>
#include <mapplot/map_widget.hpp>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/map_pixels.hpp"
#include "platform/map_view.hpp"
#include "platform/viewing/map_viewing.hpp"
#include "platform/viewing/readout_numbers.hpp"
#include "request/console_warnings.hpp"
#include "request/grid_size.hpp"
#include "screenmap/computed_picture.hpp"
#include "screenmap/function_worker.hpp"
#include "screenmap/legend.hpp"
#include "screenmap/map_texts.hpp"
#include "screenmap/map_values.hpp"
#include "screenmap/map_widget_layout.hpp"
#include "screenmap/viewed_function.hpp"

namespace mapplot {

// A map whose values a function computes per view.
struct function_map {
  // Shared with the worker, which keeps a function it calls alive after
  // set_function() has replaced it.
  std::shared_ptr<const map_function> function;
  function_picture_source source;         // Home's view, the check, the picture shown
  std::optional<map_viewport> requested;  // what the worker computes or computed last
  std::string failure;                    // the function's exception, shown instead of the picture
  std::uint64_t generation = 0;
};

struct map_widget_state {
  std::unique_ptr<function_map> function;  // set while the map is function-backed
  std::shared_ptr<const map_data> map;     // set while the map is one of values
  // What the map answers to the user's view of it; null when there is nothing to
  // draw. After `function`, whose picture source it reads, so it goes first.
  std::unique_ptr<viewed_map> viewed;
  std::string why_no_map = "no map yet";
  map_texts texts = prepare_map_texts({});
  map_viewing viewing;  // in device pixels of the map's square
  std::vector<std::string> more_keys;
  std::optional<pixel_rectangle> laid_out_map;  // the map's square when last painted
  // Made with the first function map. Last, so that it is gone, its thread
  // joined, before anything its deliveries use.
  std::unique_ptr<function_worker> worker;
};

namespace {

constexpr int legend_characters = 24;

struct widget_geometry {
  double ratio;
  map_widget_layout layout;
  int line_height;  // logical pixels
};

widget_geometry geometry_of(const QWidget& widget) {
  const double ratio = widget.devicePixelRatioF();
  const QFontMetrics metrics(widget.font());
  const int line = metrics.height();
  const auto device = [ratio](double logical) {
    return static_cast<int>(std::lround(logical * ratio));
  };
  return {ratio,
          lay_out_map_widget(
              device(widget.width()), device(widget.height()), device(line),
              device(metrics.horizontalAdvance(QLatin1Char('0')) * legend_characters), device(4)),
          line};
}

pixel_point device_point(const QPointF& logical, double ratio) {
  return {static_cast<int>(std::floor(logical.x() * ratio)),
          static_cast<int>(std::floor(logical.y() * ratio))};
}

bool inside(const pixel_rectangle& area, pixel_point point) {
  return point.x >= area.left && point.x <= area.right && point.y >= area.top &&
         point.y <= area.bottom;
}

// Numbers computations across all function maps, so that a result reaching
// the GUI thread late is recognised as stale even after set_function().
std::atomic<std::uint64_t> computation_counter{0};

// Asks the worker for `full`, cancelling what it computes now; the GUI
// thread goes on at once.
void start_computation(map_widget_state& state, const map_viewport& full) {
  function_map& function = *state.function;
  function.requested = full;
  function.failure.clear();
  function.generation = ++computation_counter;
  state.worker->request(function.function, full, function.generation);
}

// Why a request cannot be shown, or nothing when it can.
template <class Value>
std::optional<std::string> unusable(std::span<const Value> x, std::span<const Value> y,
                                    std::span<const Value> z, const value_range& range) {
  constexpr std::string_view consequence = "nothing shown";
  if (x.empty()) return missing_array_warning("x coordinates", consequence);
  if (y.empty()) return missing_array_warning("y coordinates", consequence);
  if (z.size() < x.size() * y.size())
    return too_few_values_warning(z.size(), x.size(), y.size(), consequence);
  for (const auto coordinates : {x, y}) {
    for (const Value coordinate : coordinates) {
      if (!std::isfinite(coordinate)) return std::string(" Coordinates not all finite");
    }
  }
  if (!range.has_finite_values()) return std::string(" No value is finite");
  if (!(range.max - range.min != 0)) return " All values equal " + legend_number(range.min, 3);
  return std::nullopt;
}

template <class Value>
void keep_map(map_widget_state& state, std::span<const Value> x, std::span<const Value> y,
              std::span<const Value> z, const screen_options& options) {
  checked_cell_count(x.size(), y.size(), sizeof(Value));
  const bool logscale = options.logscale.value_or(false);
  const value_range range = scale_range(z, logscale);
  state.texts = prepare_map_texts(options);
  // A function map's computation is no longer wanted.
  if (state.worker) state.worker->cancel();
  state.viewed.reset();
  state.function.reset();
  if (auto why = unusable(x, y, z, range)) {
    state.map = nullptr;
    state.why_no_map = std::move(*why);
    return;
  }
  state.map = make_map_data(std::vector<double>(x.begin(), x.end()),
                            std::vector<double>(y.begin(), y.end()), z, range, logscale);
  state.viewed = viewed_values(state.map);
  // An animation keeps the user's view; another map is shown whole.
  const plane_view whole = state.viewed->whole();
  if (whole != state.viewing.whole) {
    state.viewing.whole = whole;
    reset_view(state.viewing);
  }
}

// Where the widget's square changes size, a function map keeps its view
// unless the function refuses that view at the new size (its pixels closer
// than its arithmetic tells apart, say): then each pixel keeps its spacing
// and the view grows or shrinks with the square around its centre.
void follow_layout(map_widget_state& state, const pixel_rectangle& area) {
  const std::optional<pixel_rectangle> previous = std::exchange(state.laid_out_map, area);
  if (!state.function || !state.viewed || !previous || *previous == area) return;
  plane_view& view = state.viewing.view;
  if (state.viewed->refusal(view, area).empty()) return;
  const long double old_columns = previous->right - previous->left + 1;
  const long double old_rows = previous->bottom - previous->top + 1;
  if (!(old_columns > 0 && old_rows > 0)) return;
  const long double half_width =
      (view.x2 - view.x1) / old_columns * (area.right - area.left + 1) / 2;
  const long double half_height = (view.y2 - view.y1) / old_rows * (area.bottom - area.top + 1) / 2;
  const long double centre_x = view.x1 + (view.x2 - view.x1) / 2;
  const long double centre_y = view.y1 + (view.y2 - view.y1) / 2;
  view = {centre_x - half_width, centre_y - half_height, centre_x + half_width,
          centre_y + half_height};
  // The view moved on: a refusal from before no longer describes it.
  state.viewing.stop.clear();
}

// The strip's passing message: why there is no map, why the function gave no
// picture, or that the view's values are all equal.
std::string strip_notice(const map_widget_state& state) {
  if (!state.viewed) return std::string(strip_blanks(state.why_no_map));
  if (!state.function) return {};
  const function_map& function = *state.function;
  if (!function.failure.empty()) return function.failure;
  const auto& shown = function.source.shown;
  if (shown && shown->max == shown->min)
    return std::string(strip_blanks(" All values equal " + legend_number(shown->min, 3)));
  return {};
}

}  // namespace

map_widget::map_widget(QWidget* parent)
    : QWidget(parent), state_(std::make_unique<map_widget_state>()) {
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  const QFontMetrics metrics(font());
  const pixel_point smallest = smallest_map_widget(
      metrics.height(), metrics.horizontalAdvance(QLatin1Char('0')) * legend_characters, 4, 120);
  setMinimumSize(smallest.x, smallest.y);
}

map_widget::~map_widget() = default;

QSize map_widget::sizeHint() const {
  return QSize(580, 330).expandedTo(minimumSize());
}

void map_widget::set_map(std::span<const double> x, std::span<const double> y,
                         std::span<const double> z, const screen_options& options) {
  keep_map(*state_, x, y, z, options);
  update();
}

void map_widget::set_map(std::span<const float> x, std::span<const float> y,
                         std::span<const float> z, const screen_options& options) {
  keep_map(*state_, x, y, z, options);
  update();
}

void map_widget::set_map(std::span<const double> x, std::span<const double> y, grid_view<double> z,
                         const screen_options& options) {
  keep_map(*state_, x, y, grid_values(z), options);
  update();
}

void map_widget::set_map(std::span<const float> x, std::span<const float> y, grid_view<float> z,
                         const screen_options& options) {
  keep_map(*state_, x, y, grid_values(z), options);
  update();
}

void map_widget::set_function(map_function function, long double x1, long double x2, long double y1,
                              long double y2, const screen_options& options, map_view_check check) {
  if (!function) throw std::invalid_argument("set_function needs a function");
  for (const long double edge : {x1, x2, y1, y2}) {
    if (!std::isfinite(edge)) throw std::invalid_argument("a function map's ranges must be finite");
  }
  if (!(x1 != x2 && y1 != y2)) throw std::invalid_argument("a function map's ranges are empty");
  if (!state_->worker) {
    // Results reach the GUI thread as queued calls. The worker is joined
    // before the widget's QObject goes, which drops any call still queued.
    state_->worker = std::make_unique<function_worker>(
        [widget = this, state = state_.get()](computation_result result) {
          QMetaObject::invokeMethod(
              widget,
              [widget, state, result = std::move(result)] {
                if (!state->function || state->function->generation != result.generation) return;
                if (result.picture) state->function->source.shown = result.picture;
                state->function->failure = result.failure;
                widget->update();
              },
              Qt::QueuedConnection);
        });
  } else {
    state_->worker->cancel();
  }
  auto shared_function = std::make_shared<const map_function>(std::move(function));
  state_->viewed.reset();
  state_->map = nullptr;
  state_->function = std::make_unique<function_map>();
  function_map& map = *state_->function;
  map.function = std::move(shared_function);
  map.source.check = std::move(check);
  map.source.whole = {x1, x2, y1, y2, 0, 0, false};
  state_->viewed = viewed_function(map.source);
  state_->viewing.whole = state_->viewed->whole();
  mapplot::reset_view(state_->viewing);
  state_->texts = prepare_map_texts(options);
  update();
}

bool map_widget::view_computed() const {
  const function_map* function = state_->function.get();
  if (!function) return true;
  const map_viewport current = viewport_over(state_->viewing.view, geometry_of(*this).layout.map);
  const auto& shown = function->source.shown;
  return shown && same_viewport(shown->viewport, current);
}

void map_widget::reset_view() {
  mapplot::reset_view(state_->viewing);
  update();
}

void map_widget::add_key_help(const QString& line) {
  state_->more_keys.push_back(line.toStdString());
  update();
}

QString map_widget::readout() const {
  const map_widget_state& state = *state_;
  QStringList lines;
  for (const std::string& line :
       strip_lines(state.viewing, state.viewed.get(), geometry_of(*this).layout.map,
                   {.notice = strip_notice(state)})) {
    if (!line.empty()) lines << QString::fromStdString(line);
  }
  return lines.join(QLatin1Char('\n'));
}

void map_widget::paintEvent(QPaintEvent*) {
  map_widget_state& state = *state_;
  const widget_geometry geometry = geometry_of(*this);
  const map_widget_layout& layout = geometry.layout;
  const bool has_square = layout.map.right >= layout.map.left;
  if (has_square) follow_layout(state, layout.map);
  QImage picture(static_cast<int>(std::lround(width() * geometry.ratio)),
                 static_cast<int>(std::lround(height() * geometry.ratio)), QImage::Format_RGB32);
  picture.fill(Qt::black);
  if (state.viewed && has_square) {
    if (state.function) {
      function_map& function = *state.function;
      const map_viewport wanted = viewport_over(state.viewing.view, layout.map);
      const bool requested = function.requested && same_viewport(*function.requested, wanted);
      if (!requested) start_computation(state, wanted);
    }
    paint_view(state.viewing, *state.viewed, layout.map, layout.map,
               {reinterpret_cast<argb_pixel*>(picture.bits()), picture.width(), picture.height(),
                picture.bytesPerLine() / static_cast<qsizetype>(sizeof(argb_pixel))});
  }
  picture.setDevicePixelRatio(geometry.ratio);

  QPainter painter(this);
  painter.drawImage(QPointF(0, 0), picture);
  painter.setPen(Qt::white);
  const int line = geometry.line_height;
  const double legend_left = layout.legend_left / geometry.ratio;
  const double legend_top = layout.legend_top / geometry.ratio;
  const auto text_line = [&](double left, int index, const std::string& text) {
    painter.drawText(QRectF(left, legend_top + index * line, width() - left, line),
                     Qt::AlignLeft | Qt::AlignVCenter, QString::fromStdString(text));
  };
  // A label and the minimum and maximum under it, from line `first` on.
  const auto group = [&](int first, const text_field& label, const std::string& low,
                         const std::string& high) {
    text_line(legend_left, first, std::string(label.trimmed()));
    text_line(legend_left, first + 1, "   min = " + low);
    text_line(legend_left, first + 2, "   max = " + high);
  };
  const auto value_group = [&](int first, const text_field& label, double low, double high) {
    const int digits = digit_count(low, high);
    group(first, label, legend_number(low, digits), legend_number(high, digits));
  };
  if (state.function && has_square) {
    // The view's edges in the function's own precision, with the digits that
    // tell its pixels apart.
    const plane_view& view = state.viewing.view;
    const long double columns = layout.map.right - layout.map.left + 1;
    const long double rows = layout.map.bottom - layout.map.top + 1;
    group(0, state.texts.xlabel, position_text(view.x1, (view.x2 - view.x1) / columns),
          position_text(view.x2, (view.x2 - view.x1) / columns));
    group(4, state.texts.ylabel, position_text(view.y1, (view.y2 - view.y1) / rows),
          position_text(view.y2, (view.y2 - view.y1) / rows));
    const auto& shown = state.function->source.shown;
    if (shown && shown->max >= shown->min)
      value_group(8, state.texts.title, shown->min, shown->max);
  }
  if (state.map) {
    const plane_view& whole = state.viewing.whole;
    value_group(0, state.texts.xlabel, static_cast<double>(whole.x1),
                static_cast<double>(whole.x2));
    value_group(4, state.texts.ylabel, static_cast<double>(whole.y1),
                static_cast<double>(whole.y2));
    value_group(8, state.texts.title, state.map->zmin, state.map->zmax);
  }
  const QFontMetrics metrics(font());
  const std::vector<std::string> strip =
      strip_lines(state.viewing, state.viewed.get(), layout.map, {.notice = strip_notice(state)});
  for (int index = 0; index < static_cast<int>(strip.size()); ++index) {
    const QRectF place(4, layout.strip_top / geometry.ratio + index * line, width() - 8, line);
    painter.drawText(place, Qt::AlignLeft | Qt::AlignVCenter,
                     metrics.elidedText(QString::fromStdString(strip[index]), Qt::ElideRight,
                                        static_cast<int>(place.width())));
  }
  if (state.viewing.help_shown) {
    std::vector<std::string> help = help_lines({});
    help.insert(help.end() - 1, state.more_keys.begin(), state.more_keys.end());
    const int lines = static_cast<int>(help.size());
    const QRectF box(12, 12, std::min(width() - 24, 400), (lines + 1) * line);
    painter.fillRect(box, QColor(0, 0, 0, 220));
    painter.setPen(QColor(255, 255, 160));
    for (int index = 0; index < lines; ++index)
      painter.drawText(
          QRectF(box.left() + 8, box.top() + line / 2 + index * line, box.width() - 16, line),
          Qt::AlignLeft | Qt::AlignVCenter, QString::fromStdString(help[index]));
  }
}

void map_widget::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  update();
}

void map_widget::mouseMoveEvent(QMouseEvent* event) {
  map_widget_state& state = *state_;
  const widget_geometry geometry = geometry_of(*this);
  const pixel_point pixel = device_point(event->position(), geometry.ratio);
  state.viewing.cursor = inside(geometry.layout.map, pixel) ? std::optional(pixel) : std::nullopt;
  if (state.viewed && state.viewing.drag_from && (event->buttons() & Qt::LeftButton))
    drag_to(state.viewing, *state.viewed, geometry.layout.map, pixel);
  update();
}

void map_widget::mousePressEvent(QMouseEvent* event) {
  if (state_->viewing.help_shown) {
    state_->viewing.help_shown = false;
    update();
    return;
  }
  if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
  start_drag(state_->viewing, device_point(event->position(), geometry_of(*this).ratio));
}

void map_widget::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) end_drag(state_->viewing);
  QWidget::mouseReleaseEvent(event);
}

void map_widget::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) reset_view();
}

void map_widget::wheelEvent(QWheelEvent* event) {
  const double notches = event->angleDelta().y() / 120.0;
  if (notches == 0 || !state_->viewed) return QWidget::wheelEvent(event);
  const widget_geometry geometry = geometry_of(*this);
  zoom_around(state_->viewing, *state_->viewed, geometry.layout.map,
              device_point(event->position(), geometry.ratio), notches);
  event->accept();
  update();
}

void map_widget::keyPressEvent(QKeyEvent* event) {
  if (state_->viewing.help_shown) {
    // Any key only hides the keys' list.
    state_->viewing.help_shown = false;
    update();
  } else if (event->key() == Qt::Key_Home) {
    reset_view();
  } else if (event->key() == Qt::Key_F1 || event->key() == Qt::Key_Question) {
    state_->viewing.help_shown = true;
    update();
  } else {
    QWidget::keyPressEvent(event);
  }
}

void map_widget::leaveEvent(QEvent* event) {
  state_->viewing.cursor.reset();
  update();
  QWidget::leaveEvent(event);
}

}  // namespace mapplot
