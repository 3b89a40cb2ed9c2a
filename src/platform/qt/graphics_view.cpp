#include "platform/qt/graphics_view.hpp"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWheelEvent>
#include <QWindow>
#include <cmath>
#include <iterator>
#include <memory>

#include "platform/map_pixels.hpp"

namespace mapplot {
namespace {

// Before anything is presented the window still needs a sensible size.
constexpr QSize empty_canvas_size(320, 200);
constexpr double assumed_refresh_rate = 60.0;
constexpr int notice_milliseconds = 1500;

pixel_point pixel_of(const QPointF& position) {
  return {static_cast<int>(std::floor(position.x())), static_cast<int>(std::floor(position.y()))};
}

bool inside(const pixel_rectangle& area, pixel_point point) {
  return point.x >= area.left && point.x <= area.right && point.y >= area.top &&
         point.y <= area.bottom;
}

inspection_view view_of(const world_window& world) {
  return {world.x1, world.y1, world.x2, world.y2};
}

bool usable_view(const inspection_view& view) {
  const long double width = view.x2 - view.x1, height = view.y2 - view.y1;
  return std::isfinite(width) && std::isfinite(height) && width != 0 && height != 0;
}

// A graphics window answers the program's keys and saves what it shows.
constexpr key_set window_keys{.program_frames = true, .save = true};

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
  setFixedSize(empty_canvas_size + QSize(0, strip_height()));
  setMouseTracking(true);
  notice_timer_.setSingleShot(true);
  connect(&notice_timer_, &QTimer::timeout, this, [this] {
    notice_.clear();
    update();
  });
}

void graphics_view::sync_with_canvas() {
  const QSize size = canvas_.presented_size();
  // The strip has room of its own under the picture.
  const QSize wanted = size + QSize(0, strip_height());
  if (size.isValid() && !size.isEmpty() && wanted != this->size()) setFixedSize(wanted);
  update();
}

int graphics_view::strip_height() const {
  return strip_line_count * QFontMetrics(font()).height() + 4;
}

void graphics_view::follow_map(const std::optional<placed_map>& placed) {
  // Only maps drawn y upwards, as the screen map draws them, are inspected.
  if (!placed || !placed->map || !placed->world.y_upwards || !usable_view(view_of(placed->world))) {
    inspected_.reset();
    inspected_model_.reset();
    inspection_.drag_from.reset();
    return;
  }
  if (inspected_ && inspected_->map == placed->map && inspected_->viewport == placed->viewport)
    return;
  const pixel_rectangle& viewport = placed->viewport;
  const auto reach =
      find_cells_under_pixels(*placed->map, viewport, placed->world, normalised(viewport)).reach();
  if (!reach) {
    inspected_.reset();
    inspected_model_.reset();
    return;
  }
  const inspection_view whole = view_of(placed->world);
  inspected_model_ = inspected_values(placed->map, whole);
  if (!inspected_) {
    const bool help_shown = inspection_.help_shown;
    inspection_ = inspection_of(*inspected_model_);
    inspection_.help_shown = help_shown;
  } else {
    // A camera: the same part of the program's picture stays in view.
    follow_whole(inspection_, whole);
  }
  map_area_ = *reach;
  inspected_ = placed_map{placed->map, viewport, placed->world};
}

QImage graphics_view::composed(const QImage& front) const {
  if (!zoomed() || front.isNull()) return front;
  QImage picture = front.copy();
  // Drawn again from the values, never scaled, over the map's background.
  paint_view(inspection_, *inspected_model_, inspected_->viewport, map_area_,
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
  const pixel_rectangle viewport = inspected_ ? inspected_->viewport : pixel_rectangle{};
  QStringList lines;
  for (const std::string& line : strip_lines(inspection_, inspected_model_.get(), viewport,
                                             {.paused = paused_, .notice = notice_.toStdString()}))
    lines << QString::fromStdString(line);
  return lines;
}

std::optional<pixel_point> graphics_view::cursor_over_map(const QPointF& position) const {
  const pixel_point pixel = pixel_of(position);
  if (!inspected_ || !inside(map_area_, pixel)) return std::nullopt;
  return pixel;
}

void graphics_view::paint_overlays(QPainter& painter) const {
  const QFontMetrics metrics(font());
  const int line = metrics.height();
  // The strip, under the picture in room of its own, last line lowest.
  const QRect strip(0, height() - strip_height(), width(), strip_height());
  painter.fillRect(strip, Qt::black);
  painter.setPen(QColor(255, 255, 160));
  const QStringList lines = status_lines();
  for (int index = 0; index < lines.size(); ++index) {
    const QRect place(4, strip.top() + 2 + index * line, width() - 8, line);
    painter.drawText(place, Qt::AlignLeft | Qt::AlignVCenter,
                     metrics.elidedText(lines[index], Qt::ElideRight, place.width()));
  }
  if (inspection_.help_shown) {
    const std::vector<std::string> help = help_lines(window_keys);
    const int count = static_cast<int>(help.size());
    const QRect box(8, 8, std::max(width() - 16, 0), (count + 1) * line);
    painter.fillRect(box, QColor(0, 0, 0, 220));
    painter.setPen(Qt::white);
    for (int index = 0; index < count; ++index)
      painter.drawText(
          QRect(box.left() + 8, box.top() + line / 2 + index * line, box.width() - 16, line),
          Qt::AlignLeft | Qt::AlignVCenter, QString::fromStdString(help[index]));
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
  mapplot::reset_view(inspection_);
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
  if (inspection_.help_shown) {
    // Any key only hides the keys' list.
    inspection_.help_shown = false;
    update();
    return;
  }
  if (event->key() == Qt::Key_F1 || event->key() == Qt::Key_Question) {
    inspection_.help_shown = true;
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
  inspection_.cursor = cursor_over_map(event->position());
  if (inspection_.drag_from && inspected_ && (event->buttons() & Qt::LeftButton))
    drag_to(inspection_, *inspected_model_, inspected_->viewport, pixel_of(event->position()));
  update();
}

void graphics_view::mousePressEvent(QMouseEvent* event) {
  follow_map(canvas_.presented_map());
  if (inspection_.help_shown) {
    inspection_.help_shown = false;
    update();
    return;
  }
  if (event->button() != Qt::LeftButton || !inspected_) return QWidget::mousePressEvent(event);
  start_drag(inspection_, pixel_of(event->position()));
}

void graphics_view::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) end_drag(inspection_);
  QWidget::mouseReleaseEvent(event);
}

void graphics_view::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) reset_view();
}

void graphics_view::wheelEvent(QWheelEvent* event) {
  follow_map(canvas_.presented_map());
  const double notches = event->angleDelta().y() / 120.0;
  if (notches == 0 || !inspected_) return QWidget::wheelEvent(event);
  zoom_around(inspection_, *inspected_model_, inspected_->viewport, pixel_of(event->position()),
              notches);
  event->accept();
  update();
}

void graphics_view::leaveEvent(QEvent* event) {
  inspection_.cursor.reset();
  update();
  QWidget::leaveEvent(event);
}

void graphics_view::follow_screen(QScreen* screen) {
  canvas_.set_refresh_period(refresh_period(screen));
}

}  // namespace mapplot
