// The map inside a caller's own Qt window: the map's data kept once, drawn at
// the cost of the widget's pixels for whatever view the user has chosen.
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <cmath>
#include <mapplot/map_widget.hpp>
#include <optional>
#include <string>

#include "platform/map_pixels.hpp"
#include "platform/map_view.hpp"
#include "request/console_warnings.hpp"
#include "request/grid_size.hpp"
#include "screenmap/legend.hpp"
#include "screenmap/map_texts.hpp"
#include "screenmap/map_values.hpp"
#include "screenmap/map_widget_layout.hpp"

namespace mapplot {

struct map_widget_state {
  std::shared_ptr<const map_data> map;  // null when there is nothing to draw
  std::string why_no_map = "no map yet";
  map_texts texts = prepare_map_texts({});
  map_view whole;
  map_view view;
  std::optional<QPoint> cursor;     // logical pixels, while over the widget
  std::optional<QPoint> drag_from;  // where the left button went down
  map_view view_at_drag;
  bool help_shown = false;
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
  if (auto why = unusable(x, y, z, range)) {
    state.map = nullptr;
    state.why_no_map = std::move(*why);
    return;
  }
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

void map_widget::reset_view() {
  state_->view = state_->whole;
  update();
}

QString map_widget::readout() const {
  const map_widget_state& state = *state_;
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
  if (state.map) {
    const map_view& whole = state.whole;
    const auto group = [&](int first, const text_field& label, double low, double high) {
      const int digits = digit_count(low, high);
      text_line(legend_left, first, QString::fromStdString(std::string(label.trimmed())));
      text_line(legend_left, first + 1,
                QString::fromStdString("   min = " + legend_number(low, digits)));
      text_line(legend_left, first + 2,
                QString::fromStdString("   max = " + legend_number(high, digits)));
    };
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
  if (state.drag_from && (event->buttons() & Qt::LeftButton)) {
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
