#include "platform/qt/graphics_view.hpp"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWheelEvent>
#include <QWindow>
#include <cmath>
#include <iterator>

#include "platform/map_pixels.hpp"

namespace mapplot {
namespace {

// Before anything is presented the window still needs a sensible size.
constexpr QSize empty_canvas_size(320, 200);
constexpr double assumed_refresh_rate = 60.0;
// One wheel notch zooms by this much.
constexpr double zoom_per_notch = 1.25;
constexpr int notice_milliseconds = 1500;

const char* const help_lines[] = {
    "Mouse wheel: zoom around the cursor",
    "Drag (left button): pan",
    "Home or double-click: the whole map",
    "Hover: x, y and the value under the cursor",
    "Space: pause or go on",
    "Right arrow or .: one more frame while paused",
    "+ / -: frames faster / slower",
    "Ctrl+S: save the picture as shown",
    "F1 or ?: these keys (any key or click hides them)",
};

QString number_text(double value) {
  return QString::number(value, 'g', 7);
}

pixel_point pixel_of(const QPointF& position) {
  return {static_cast<int>(std::floor(position.x())), static_cast<int>(std::floor(position.y()))};
}

bool inside(const pixel_rectangle& area, pixel_point point) {
  return point.x >= area.left && point.x <= area.right && point.y >= area.top &&
         point.y <= area.bottom;
}

map_view view_of(const world_window& world) {
  return {world.x1, world.y1, world.x2, world.y2};
}

// `view` as the same part of `to` as it was of `from`.
map_view carried_over(const map_view& view, const map_view& from, const map_view& to) {
  const auto across = [](double value, double low, double high, double new_low, double new_high) {
    return new_low + (value - low) / (high - low) * (new_high - new_low);
  };
  return {across(view.x1, from.x1, from.x2, to.x1, to.x2),
          across(view.y1, from.y1, from.y2, to.y1, to.y2),
          across(view.x2, from.x1, from.x2, to.x1, to.x2),
          across(view.y2, from.y1, from.y2, to.y1, to.y2)};
}

bool usable_view(const map_view& view) {
  const double width = view.x2 - view.x1, height = view.y2 - view.y1;
  return std::isfinite(width) && std::isfinite(height) && width != 0 && height != 0;
}

}  // namespace

std::chrono::steady_clock::duration refresh_period(const QScreen* screen) {
  const double rate = screen != nullptr ? screen->refreshRate() : 0.0;
  const double per_second = rate >= 1.0 ? rate : assumed_refresh_rate;
  return std::chrono::duration_cast<std::chrono::steady_clock::duration>(
      std::chrono::duration<double>(1.0 / per_second));
}

graphics_view::graphics_view(window_canvas& canvas, QWidget* parent)
    : QWidget(parent), canvas_(canvas) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setObjectName(QStringLiteral("graphics-window-%1").arg(canvas.number()));
  setProperty("window_number", canvas.number());
  setFixedSize(empty_canvas_size);
  setMouseTracking(true);
  notice_timer_.setSingleShot(true);
  connect(&notice_timer_, &QTimer::timeout, this, [this] {
    notice_.clear();
    update();
  });
}

void graphics_view::sync_with_canvas() {
  const QSize size = canvas_.presented_size();
  if (size.isValid() && !size.isEmpty() && size != this->size()) setFixedSize(size);
  update();
}

void graphics_view::follow_map(const std::optional<placed_map>& placed) {
  // Only maps drawn y upwards, as the screen map draws them, are inspected.
  if (!placed || !placed->map || !placed->world.y_upwards || !usable_view(view_of(placed->world))) {
    inspected_.reset();
    drag_from_.reset();
    return;
  }
  if (inspected_ && inspected_->map == placed->map && inspected_->viewport == placed->viewport)
    return;
  const pixel_rectangle& viewport = placed->viewport;
  const auto reach =
      find_cells_under_pixels(*placed->map, viewport, placed->world, normalised(viewport)).reach();
  if (!reach) {
    inspected_.reset();
    return;
  }
  const map_view whole = view_of(placed->world);
  if (!inspected_) {
    view_ = whole;
  } else if (whole != whole_) {
    // A camera: the same part of the program's picture stays in view.
    const map_view carried = carried_over(view_, whole_, whole);
    view_ = usable_view(carried) ? carried : whole;
    view_at_drag_ = carried_over(view_at_drag_, whole_, whole);
  }
  whole_ = whole;
  map_area_ = *reach;
  inspected_ = placed_map{placed->map, viewport, placed->world};
}

QImage graphics_view::composed(const QImage& front) const {
  if (!zoomed() || front.isNull()) return front;
  QImage picture = front.copy();
  const auto area = clipped(map_area_, {0, 0, picture.width() - 1, picture.height() - 1});
  if (!area) return picture;
  // Drawn again from the values, never scaled, over the map's background.
  for (int row = area->top; row <= area->bottom; ++row) {
    auto* line = reinterpret_cast<argb_pixel*>(picture.scanLine(row));
    std::fill(line + area->left, line + area->right + 1, map_background_pixel);
  }
  const map_data& map = *inspected_->map;
  world_window world = world_of(view_);
  world.y_upwards = inspected_->world.y_upwards;
  paint_map(map, find_cells_under_pixels(map, inspected_->viewport, world, *area),
            {reinterpret_cast<argb_pixel*>(picture.bits()), picture.width(), picture.height(),
             picture.bytesPerLine() / static_cast<qsizetype>(sizeof(argb_pixel))});
  return picture;
}

QImage graphics_view::shown_picture() const {
  return composed(canvas_.presented_image());
}

void graphics_view::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  canvas_.paint([&](const QImage& front, const std::optional<placed_map>& placed) {
    follow_map(placed);
    const QImage picture = composed(front);
    if (!picture.isNull()) painter.drawImage(0, 0, picture);
    // Whatever the picture does not cover.
    if (picture.width() < width()) {
      painter.fillRect(picture.width(), 0, width() - picture.width(), height(), Qt::black);
    }
    if (picture.height() < height()) {
      painter.fillRect(0, picture.height(), width(), height() - picture.height(), Qt::black);
    }
  });
  paint_overlays(painter);
}

QStringList graphics_view::status_lines() const {
  QStringList lines;
  if (inspected_) {
    const pixel_rectangle& viewport = inspected_->viewport;
    if (zoomed()) {
      const world_point low = world_point_at(view_, viewport, {map_area_.left, map_area_.bottom});
      const world_point high = world_point_at(view_, viewport, {map_area_.right, map_area_.top});
      lines << QStringLiteral("shown: x %1 .. %2   y %3 .. %4")
                   .arg(number_text(low.x), number_text(high.x), number_text(low.y),
                        number_text(high.y));
      // A map kept as the cells of one picture cannot show more of the grid.
      if (inspected_->map->cells_thinned())
        lines << QStringLiteral("enlarged: this window keeps the cells of its picture only");
    }
    if (cursor_ && inside(map_area_, pixel_of(*cursor_))) {
      const pixel_point pixel = pixel_of(*cursor_);
      const world_point point = world_point_at(view_, viewport, pixel);
      QString text =
          QStringLiteral("x = %1   y = %2").arg(number_text(point.x), number_text(point.y));
      const map_data& map = *inspected_->map;
      if (const auto cell = cell_at_pixel(map, view_, viewport, pixel)) {
        const double value = map_value(map, cell->column, cell->row);
        text += QStringLiteral("   value = %1").arg(number_text(value));
        if (map.logscale)
          text += QStringLiteral("   log = %1").arg(number_text(scaled_quantity(value, true)));
      }
      lines << text;
    }
  }
  if (!notice_.isEmpty()) lines << notice_;
  if (paused_) lines << QStringLiteral("paused");
  return lines;
}

void graphics_view::paint_overlays(QPainter& painter) const {
  const QFontMetrics metrics(font());
  const int line = metrics.height();
  const QStringList lines = status_lines();
  if (!lines.isEmpty()) {
    // Over the bottom of the picture, last line lowest.
    const int strip_height = static_cast<int>(lines.size()) * line + 4;
    const QRect strip(0, height() - strip_height, width(), strip_height);
    painter.fillRect(strip, QColor(0, 0, 0, 200));
    painter.setPen(QColor(255, 255, 160));
    for (int index = 0; index < lines.size(); ++index)
      painter.drawText(QRect(4, strip.top() + 2 + index * line, width() - 8, line),
                       Qt::AlignLeft | Qt::AlignVCenter, lines[index]);
  }
  if (help_shown_) {
    const int count = static_cast<int>(std::size(help_lines));
    const QRect box(8, 8, std::max(width() - 16, 0), (count + 1) * line);
    painter.fillRect(box, QColor(0, 0, 0, 220));
    painter.setPen(Qt::white);
    for (int index = 0; index < count; ++index)
      painter.drawText(
          QRect(box.left() + 8, box.top() + line / 2 + index * line, box.width() - 16, line),
          Qt::AlignLeft | Qt::AlignVCenter, QString::fromLatin1(help_lines[index]));
  }
}

void graphics_view::set_paused(bool paused) {
  if (paused_ == paused) return;
  paused_ = paused;
  update();
}

void graphics_view::show_notice(const QString& text) {
  notice_ = text;
  notice_timer_.start(notice_milliseconds);
  update();
}

void graphics_view::reset_view() {
  view_ = whole_;
  update();
}

void graphics_view::showEvent(QShowEvent*) {
  follow_screen(screen());
  if (!following_screen_changes_ && window()->windowHandle() != nullptr) {
    following_screen_changes_ = true;
    connect(window()->windowHandle(), &QWindow::screenChanged, this, &graphics_view::follow_screen);
  }
  canvas_.set_shown(true);
}

void graphics_view::hideEvent(QHideEvent*) {
  // A frame that waits for this window's paint would wait in vain.
  canvas_.set_shown(false);
}

void graphics_view::keyPressEvent(QKeyEvent* event) {
  follow_map(canvas_.presented_map());
  if (help_shown_) {
    // Any key only hides the keys' list.
    help_shown_ = false;
    update();
    return;
  }
  if (event->key() == Qt::Key_F1 || event->key() == Qt::Key_Question) {
    help_shown_ = true;
    update();
    return;
  }
  if (event->key() == Qt::Key_Home && event->modifiers() == Qt::NoModifier) {
    reset_view();
    return;
  }
  const window_command command = command_for_key(*event);
  if (command == window_command::none) {
    QWidget::keyPressEvent(event);
    return;
  }
  emit command_given(command);
}

void graphics_view::mouseMoveEvent(QMouseEvent* event) {
  follow_map(canvas_.presented_map());
  cursor_ = event->position().toPoint();
  if (drag_from_ && inspected_ && (event->buttons() & Qt::LeftButton)) {
    const QPoint moved = event->position().toPoint() - *drag_from_;
    view_ = panned_view(view_at_drag_, inspected_->viewport, moved.x(), moved.y());
  }
  update();
}

void graphics_view::mousePressEvent(QMouseEvent* event) {
  follow_map(canvas_.presented_map());
  if (help_shown_) {
    help_shown_ = false;
    update();
    return;
  }
  if (event->button() != Qt::LeftButton || !inspected_) return QWidget::mousePressEvent(event);
  drag_from_ = event->position().toPoint();
  view_at_drag_ = view_;
}

void graphics_view::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) drag_from_.reset();
  QWidget::mouseReleaseEvent(event);
}

void graphics_view::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) reset_view();
}

void graphics_view::wheelEvent(QWheelEvent* event) {
  follow_map(canvas_.presented_map());
  const double notches = event->angleDelta().y() / 120.0;
  if (notches == 0 || !inspected_) return QWidget::wheelEvent(event);
  view_ = zoomed_view(view_, whole_, inspected_->viewport, pixel_of(event->position()),
                      std::pow(zoom_per_notch, notches));
  event->accept();
  update();
}

void graphics_view::leaveEvent(QEvent* event) {
  cursor_.reset();
  update();
  QWidget::leaveEvent(event);
}

void graphics_view::follow_screen(QScreen* screen) {
  canvas_.set_refresh_period(refresh_period(screen));
}

}  // namespace mapplot
