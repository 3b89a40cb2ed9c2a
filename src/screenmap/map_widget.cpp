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
#include <vector>

#include "platform/map_pixels.hpp"
#include "platform/map_view.hpp"
#include "request/console_warnings.hpp"
#include "request/grid_size.hpp"
#include "screenmap/computed_picture.hpp"
#include "screenmap/function_worker.hpp"
#include "screenmap/legend.hpp"
#include "screenmap/map_texts.hpp"
#include "screenmap/map_values.hpp"
#include "screenmap/map_widget_layout.hpp"

namespace mapplot {

// A map whose values a function computes per view. The view is kept as
// long double edges so that a deep view keeps its precision.
struct function_map {
  // Shared with the worker, which keeps a function it calls alive after
  // set_function() has replaced it.
  std::shared_ptr<const map_function> function;
  map_view_check check;
  map_viewport whole{};
  map_viewport view{};
  std::optional<map_viewport> requested;  // what the worker computes or computed last
  std::shared_ptr<const computed_picture> shown;
  std::string failure;  // the function's exception, shown instead of the picture
  std::string stop;     // why the last zoom or pan was refused
  std::uint64_t generation = 0;
  map_viewport view_at_drag{};
};

struct map_widget_state {
  std::unique_ptr<function_map> function;  // set while the map is function-backed
  std::shared_ptr<const map_data> map;     // null when there is nothing to draw
  std::string why_no_map = "no map yet";
  map_texts texts = prepare_map_texts({});
  map_view whole;
  map_view view;
  std::optional<QPoint> cursor;     // logical pixels, while over the widget
  std::optional<QPoint> drag_from;  // where the left button went down
  map_view view_at_drag;
  bool help_shown = false;
  // Made with the first function map. Last, so that it is gone, its thread
  // joined, before anything its deliveries use.
  std::unique_ptr<function_worker> worker;
};

namespace {

// One wheel notch zooms by this much.
constexpr double zoom_per_notch = 1.25;
constexpr int legend_characters = 24;

QString number_text(double value) {
  return QString::number(value, 'g', 7);
}

const char* const help_lines[] = {
    "Mouse wheel: zoom around the cursor", "Drag (left button): pan",
    "Home or double-click: the whole map", "Hover: x, y and the value under the cursor",
    "F1 or ?: show or hide these keys",
};

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

bool same_viewport(const map_viewport& a, const map_viewport& b) {
  return a.x1 == b.x1 && a.x2 == b.x2 && a.y1 == b.y1 && a.y2 == b.y2 && a.columns == b.columns &&
         a.rows == b.rows && a.preview == b.preview;
}

// Enough digits to tell the edges of a view of width `width` apart.
QString long_number_text(long double value, long double width) {
  int digits = 7;
  if (width > 0 && value != 0 && std::isfinite(value)) {
    const long double ratio = std::fabs(value) / width;
    if (ratio > 1) digits = std::clamp(static_cast<int>(std::ceil(std::log10(ratio))) + 5, 7, 21);
  }
  char text[64];
  const auto result =
      std::to_chars(text, text + sizeof text, value, std::chars_format::general, digits);
  return QString::fromLatin1(text, static_cast<qsizetype>(result.ptr - text));
}

// The view of the function map over `map`'s pixels.
map_viewport viewport_over(const map_viewport& view, const pixel_rectangle& map) {
  map_viewport viewport = view;
  viewport.columns = static_cast<std::size_t>(std::max(0, map.right - map.left + 1));
  viewport.rows = static_cast<std::size_t>(std::max(0, map.bottom - map.top + 1));
  viewport.preview = false;
  return viewport;
}

// Paints the map square from the computed picture: each pixel the value
// whose viewport pixel holds its centre (exactly pixel for pixel when the
// picture is the view's own), NaN and uncovered pixels in the background.
void paint_function_map(const function_map& function, const pixel_rectangle& map, QImage& picture) {
  if (!function.shown) return;
  const computed_picture& shown = *function.shown;
  const map_viewport current = viewport_over(function.view, map);
  const bool own = same_viewport(current, shown.viewport);
  const double spread = shown.max - shown.min;
  for (int row = map.top; row <= map.bottom && row < picture.height(); ++row) {
    auto* line = reinterpret_cast<argb_pixel*>(picture.scanLine(row));
    for (int column = map.left; column <= map.right && column < picture.width(); ++column) {
      std::optional<std::size_t> index;
      if (own) {
        index = static_cast<std::size_t>(column - map.left) +
                static_cast<std::size_t>(map.bottom - row) * shown.viewport.columns;
      } else {
        index = value_index(shown, function_point_at(function.view, map, {column, row}));
      }
      if (!index || *index >= shown.values.size()) continue;
      const double value = shown.values[*index];
      double level = std::numeric_limits<double>::quiet_NaN();
      if (std::isfinite(value))
        level = spread > 0 ? (value - shown.min) * (255 / spread) : 0;
      else if (!std::isnan(value))
        level = value;
      line[column] = grey_pixel(level);
    }
  }
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

// The check's reason to refuse `viewport`. A check that throws refuses it.
std::string refusal_of(const map_view_check& check, const map_viewport& viewport) {
  if (!check) return {};
  try {
    return check(viewport);
  } catch (const std::exception& error) {
    return std::string("The view check failed: ") + error.what();
  } catch (...) {
    return "The view check failed: it threw something that is not a std::exception";
  }
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
  if (auto why = unusable(x, y, z, range)) {
    state.function.reset();
    state.map = nullptr;
    state.why_no_map = std::move(*why);
    return;
  }
  state.function.reset();
  state.map = make_map_data(std::vector<double>(x.begin(), x.end()),
                            std::vector<double>(y.begin(), y.end()), z, range, logscale);
  const map_view whole = whole_map_view(*state.map);
  // An animation keeps the user's view; another map is shown whole.
  if (whole != state.whole) state.view = whole;
  state.whole = whole;
}

}  // namespace

map_widget::map_widget(QWidget* parent)
    : QWidget(parent), state_(std::make_unique<map_widget_state>()) {
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  setMinimumSize(160, 120);
}

map_widget::~map_widget() = default;

QSize map_widget::sizeHint() const {
  return {580, 330};
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
                if (result.picture) state->function->shown = result.picture;
                state->function->failure = result.failure;
                widget->update();
              },
              Qt::QueuedConnection);
        });
  } else {
    state_->worker->cancel();
  }
  auto shared_function = std::make_shared<const map_function>(std::move(function));
  state_->map = nullptr;
  state_->function = std::make_unique<function_map>();
  function_map& map = *state_->function;
  map.function = std::move(shared_function);
  map.check = std::move(check);
  map.whole = {x1, x2, y1, y2, 0, 0, false};
  map.view = map.whole;
  state_->texts = prepare_map_texts(options);
  update();
}

bool map_widget::view_computed() const {
  const function_map* function = state_->function.get();
  if (!function) return true;
  const map_viewport current = viewport_over(function->view, geometry_of(*this).layout.map);
  return function->shown && same_viewport(function->shown->viewport, current);
}

void map_widget::reset_view() {
  if (state_->function) {
    state_->function->view = state_->function->whole;
    state_->function->stop.clear();
  }
  state_->view = state_->whole;
  update();
}

// The readout of a function map: the view's ranges, why it went no further,
// and the point and value under the cursor.
static QString function_readout(const QWidget& widget, const function_map& function,
                                const std::optional<QPoint>& cursor) {
  if (!function.failure.empty()) return QString::fromStdString(function.failure);
  const map_viewport& view = function.view;
  const long double width = std::max(std::fabs(view.x2 - view.x1), std::fabs(view.y2 - view.y1));
  QString text = QStringLiteral("x %1 .. %2   y %3 .. %4")
                     .arg(long_number_text(view.x1, width), long_number_text(view.x2, width),
                          long_number_text(view.y1, width), long_number_text(view.y2, width));
  // Why the view went no further leads the second line.
  if (!function.stop.empty()) text += QStringLiteral("\n") + QString::fromStdString(function.stop);
  const widget_geometry geometry = geometry_of(widget);
  if (!cursor) return text;
  const pixel_point pixel = device_point(*cursor, geometry.ratio);
  if (!inside(geometry.layout.map, pixel)) return text;
  const long_point point = function_point_at(view, geometry.layout.map, pixel);
  text += function.stop.empty() ? QStringLiteral("\n") : QStringLiteral("   ");
  const long double pixel_width =
      width / std::max(1, geometry.layout.map.right - geometry.layout.map.left + 1);
  text += QStringLiteral("x = %1   y = %2")
              .arg(long_number_text(point.x, pixel_width), long_number_text(point.y, pixel_width));
  if (function.shown) {
    if (const auto index = value_index(*function.shown, point))
      text += QStringLiteral("   value = %1").arg(number_text(function.shown->values[*index]));
  }
  return text;
}

QString map_widget::readout() const {
  const map_widget_state& state = *state_;
  if (state.function) return function_readout(*this, *state.function, state.cursor);
  if (!state.map) return QString::fromStdString(std::string(strip_blanks(state.why_no_map)));
  QString text = QStringLiteral("x %1 .. %2   y %3 .. %4")
                     .arg(number_text(state.view.x1), number_text(state.view.x2),
                          number_text(state.view.y1), number_text(state.view.y2));
  if (!state.cursor) return text;
  const widget_geometry geometry = geometry_of(*this);
  const pixel_point pixel = device_point(*state.cursor, geometry.ratio);
  if (!inside(geometry.layout.map, pixel)) return text;
  const world_point point = world_point_at(state.view, geometry.layout.map, pixel);
  text += QStringLiteral("\nx = %1   y = %2").arg(number_text(point.x), number_text(point.y));
  if (const auto cell = cell_at_pixel(*state.map, state.view, geometry.layout.map, pixel)) {
    const double value = map_value(*state.map, cell->column, cell->row);
    text += QStringLiteral("   value = %1").arg(number_text(value));
    if (state.map->logscale)
      text += QStringLiteral("   log = %1").arg(number_text(scaled_quantity(value, true)));
  }
  return text;
}

void map_widget::paintEvent(QPaintEvent*) {
  const map_widget_state& state = *state_;
  const widget_geometry geometry = geometry_of(*this);
  const map_widget_layout& layout = geometry.layout;
  QImage picture(static_cast<int>(std::lround(width() * geometry.ratio)),
                 static_cast<int>(std::lround(height() * geometry.ratio)), QImage::Format_RGB32);
  picture.fill(Qt::black);
  if (state.function && layout.map.right >= layout.map.left) {
    function_map& function = *state_->function;
    const map_viewport wanted = viewport_over(function.view, layout.map);
    if (!function.requested || !same_viewport(*function.requested, wanted))
      start_computation(*state_, wanted);
    for (int row = layout.map.top; row <= layout.map.bottom && row < picture.height(); ++row) {
      auto* line = reinterpret_cast<argb_pixel*>(picture.scanLine(row));
      for (int column = layout.map.left; column <= layout.map.right && column < picture.width();
           ++column)
        line[column] = map_background_pixel;
    }
    paint_function_map(function, layout.map, picture);
  }
  if (state.map && layout.map.right >= layout.map.left) {
    // The map's square in the background's blue, which NaN values show.
    for (int row = layout.map.top; row <= layout.map.bottom && row < picture.height(); ++row) {
      auto* line = reinterpret_cast<argb_pixel*>(picture.scanLine(row));
      for (int column = layout.map.left; column <= layout.map.right && column < picture.width();
           ++column)
        line[column] = map_background_pixel;
    }
    paint_map(*state.map,
              find_cells_under_pixels(state.map->x, state.map->y, layout.map, world_of(state.view),
                                      layout.map),
              {reinterpret_cast<argb_pixel*>(picture.bits()), picture.width(), picture.height(),
               picture.bytesPerLine() / static_cast<qsizetype>(sizeof(argb_pixel))});
  }
  picture.setDevicePixelRatio(geometry.ratio);

  QPainter painter(this);
  painter.drawImage(QPointF(0, 0), picture);
  painter.setPen(Qt::white);
  const int line = geometry.line_height;
  const double legend_left = layout.legend_left / geometry.ratio;
  const auto text_line = [&](double left, int index, const QString& text) {
    painter.drawText(QRectF(left, 4 + index * line, width() - left, line),
                     Qt::AlignLeft | Qt::AlignVCenter, text);
  };
  // A label and the minimum and maximum under it, from line `first` on.
  const auto group = [&](int first, const text_field& label, double low, double high) {
    const int digits = digit_count(low, high);
    text_line(legend_left, first, QString::fromStdString(std::string(label.trimmed())));
    text_line(legend_left, first + 1,
              QString::fromStdString("   min = " + legend_number(low, digits)));
    text_line(legend_left, first + 2,
              QString::fromStdString("   max = " + legend_number(high, digits)));
  };
  if (state.function) {
    const function_map& function = *state.function;
    group(0, state.texts.xlabel, static_cast<double>(function.view.x1),
          static_cast<double>(function.view.x2));
    group(4, state.texts.ylabel, static_cast<double>(function.view.y1),
          static_cast<double>(function.view.y2));
    if (function.shown && function.shown->max >= function.shown->min)
      group(8, state.texts.title, function.shown->min, function.shown->max);
  }
  if (state.map) {
    const map_view& whole = state.whole;
    group(0, state.texts.xlabel, whole.x1, whole.x2);
    group(4, state.texts.ylabel, whole.y1, whole.y2);
    group(8, state.texts.title, state.map->zmin, state.map->zmax);
  }
  const QStringList readout_lines = readout().split(QLatin1Char('\n'));
  for (int index = 0; index < readout_lines.size(); ++index) {
    painter.drawText(
        QRectF(4, layout.readout_top / geometry.ratio + index * line, width() - 8, line),
        Qt::AlignLeft | Qt::AlignVCenter, readout_lines[index]);
  }
  if (state.help_shown) {
    const int lines = static_cast<int>(std::size(help_lines));
    const QRectF box(12, 12, std::min(width() - 24, 360), (lines + 1) * line);
    painter.fillRect(box, QColor(0, 0, 0, 220));
    painter.setPen(QColor(255, 255, 160));
    for (int index = 0; index < lines; ++index)
      painter.drawText(
          QRectF(box.left() + 8, box.top() + line / 2 + index * line, box.width() - 16, line),
          Qt::AlignLeft | Qt::AlignVCenter, QString::fromLatin1(help_lines[index]));
  }
}

void map_widget::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  update();
}

void map_widget::mouseMoveEvent(QMouseEvent* event) {
  map_widget_state& state = *state_;
  state.cursor = event->position().toPoint();
  if (state.function && state.drag_from && (event->buttons() & Qt::LeftButton)) {
    function_map& function = *state.function;
    const widget_geometry geometry = geometry_of(*this);
    const QPointF moved = (event->position() - QPointF(*state.drag_from)) * geometry.ratio;
    const pixel_rectangle& map = geometry.layout.map;
    const long double columns = std::max(1, map.right - map.left + 1);
    const long double rows = std::max(1, map.bottom - map.top + 1);
    const map_viewport& from = function.view_at_drag;
    const long double dx = std::lround(moved.x()) * (from.x2 - from.x1) / columns;
    const long double dy = std::lround(moved.y()) * (from.y2 - from.y1) / rows;
    map_viewport panned = from;
    panned.x1 -= dx;
    panned.x2 -= dx;
    panned.y1 += dy;
    panned.y2 += dy;
    const std::string refusal = refusal_of(function.check, viewport_over(panned, map));
    if (refusal.empty()) function.view = panned;
    function.stop = refusal;
  } else if (state.drag_from && (event->buttons() & Qt::LeftButton)) {
    const widget_geometry geometry = geometry_of(*this);
    const QPointF moved = (event->position() - QPointF(*state.drag_from)) * geometry.ratio;
    state.view = panned_view(state.view_at_drag, geometry.layout.map,
                             static_cast<int>(std::lround(moved.x())),
                             static_cast<int>(std::lround(moved.y())));
  }
  update();
}

void map_widget::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
  state_->drag_from = event->position().toPoint();
  state_->view_at_drag = state_->view;
  if (state_->function) state_->function->view_at_drag = state_->function->view;
}

void map_widget::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) state_->drag_from.reset();
  QWidget::mouseReleaseEvent(event);
}

void map_widget::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) reset_view();
}

void map_widget::wheelEvent(QWheelEvent* event) {
  const double notches = event->angleDelta().y() / 120.0;
  if (notches != 0 && state_->function) {
    function_map& function = *state_->function;
    const widget_geometry geometry = geometry_of(*this);
    const pixel_rectangle& map = geometry.layout.map;
    const long_point around =
        function_point_at(function.view, map, device_point(event->position(), geometry.ratio));
    const long double factor = std::pow(static_cast<long double>(zoom_per_notch), notches);
    map_viewport zoomed = function.view;
    zoomed.x1 = around.x - (around.x - zoomed.x1) / factor;
    zoomed.x2 = around.x + (zoomed.x2 - around.x) / factor;
    zoomed.y1 = around.y - (around.y - zoomed.y1) / factor;
    zoomed.y2 = around.y + (zoomed.y2 - around.y) / factor;
    std::string refusal;
    if (!(zoomed.x1 < zoomed.x2 || zoomed.x1 > zoomed.x2) || !(zoomed.y1 != zoomed.y2))
      refusal = "Zooming stops here: the view has no width left";
    else
      refusal = refusal_of(function.check, viewport_over(zoomed, map));
    if (refusal.empty()) function.view = zoomed;
    function.stop = refusal;
    event->accept();
    update();
    return;
  }
  if (notches == 0 || !state_->map) return;
  const widget_geometry geometry = geometry_of(*this);
  const pixel_point around = device_point(event->position(), geometry.ratio);
  state_->view = zoomed_view(state_->view, state_->whole, geometry.layout.map, around,
                             std::pow(zoom_per_notch, notches));
  event->accept();
  update();
}

void map_widget::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Home) {
    reset_view();
  } else if (event->key() == Qt::Key_F1 || event->key() == Qt::Key_Question) {
    state_->help_shown = !state_->help_shown;
    update();
  } else if (event->key() == Qt::Key_Escape && state_->help_shown) {
    state_->help_shown = false;
    update();
  } else {
    QWidget::keyPressEvent(event);
  }
}

void map_widget::leaveEvent(QEvent* event) {
  state_->cursor.reset();
  update();
  QWidget::leaveEvent(event);
}

}  // namespace mapplot
