#include "platform/qt/graphics_view.hpp"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWheelEvent>
#include <QWindow>
#include <cmath>
#include <iterator>

namespace mapplot {
namespace {

// Before anything is presented the window still needs a sensible size.
constexpr QSize empty_canvas_size(320, 200);
constexpr double assumed_refresh_rate = 60.0;
constexpr int notice_milliseconds = 1500;

pixel_point pixel_of(const QPointF& position) {
  return {static_cast<int>(std::floor(position.x())), static_cast<int>(std::floor(position.y()))};
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

QImage graphics_view::shown_picture() const {
  return viewing_.composed(canvas_.presented_image());
}

void graphics_view::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  canvas_.paint([&](const QImage& front, const std::optional<placed_map>& placed) {
    follow_map(placed);
    const QImage picture = viewing_.composed(front);
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
  for (const std::string& line :
       viewing_.strip({.paused = paused_, .notice = notice_.toStdString()}))
    lines << QString::fromStdString(line);
  return lines;
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
  if (viewing_.help_shown()) {
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
  viewing_.home();
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
  if (viewing_.help_shown()) {
    // Any key only hides the keys' list.
    viewing_.show_help(false);
    update();
    return;
  }
  if (event->key() == Qt::Key_F1 || event->key() == Qt::Key_Question) {
    viewing_.show_help(true);
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
  const pixel_point pixel = pixel_of(event->position());
  if (event->buttons() & Qt::LeftButton) viewing_.drag(pixel);
  viewing_.hover(pixel);
  update();
}

void graphics_view::mousePressEvent(QMouseEvent* event) {
  follow_map(canvas_.presented_map());
  if (viewing_.help_shown()) {
    viewing_.show_help(false);
    update();
    return;
  }
  if (event->button() != Qt::LeftButton || !viewing_.has_map())
    return QWidget::mousePressEvent(event);
  viewing_.press(pixel_of(event->position()));
}

void graphics_view::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) viewing_.release();
  QWidget::mouseReleaseEvent(event);
}

void graphics_view::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) reset_view();
}

void graphics_view::wheelEvent(QWheelEvent* event) {
  follow_map(canvas_.presented_map());
  const double notches = event->angleDelta().y() / 120.0;
  if (notches == 0 || !viewing_.has_map()) return QWidget::wheelEvent(event);
  viewing_.wheel(pixel_of(event->position()), notches);
  event->accept();
  update();
}

void graphics_view::leaveEvent(QEvent* event) {
  viewing_.leave();
  update();
  QWidget::leaveEvent(event);
}

void graphics_view::follow_screen(QScreen* screen) {
  canvas_.set_refresh_period(refresh_period(screen));
}

}  // namespace mapplot
