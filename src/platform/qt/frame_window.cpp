#include "platform/qt/frame_window.hpp"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTextCharFormat>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/qt/graphics_view.hpp"

namespace mapplot {
namespace {

const QString running_state = QStringLiteral("running");
constexpr int console_columns = 80;
constexpr int console_rows = 25;
constexpr int kept_console_lines = 10000;
// Narrower than this the text line rules would cut every number.
constexpr std::size_t narrowest_line = 40;

QFont console_font() {
  QFont font(QStringLiteral("DejaVu Sans Mono"));
  font.setStyleHint(QFont::Monospace);
  font.setPixelSize(14);
  return font;
}

}  // namespace

frame_window::frame_window(const QString& application_name, window_canvas& console_canvas)
    : application_name_(application_name) {
  const rgb_color silver = default_palette_color(7);
  text_color_ = QColor(silver.red, silver.green, silver.blue);

  text_ = new QPlainTextEdit;
  text_->setReadOnly(true);
  text_->setFont(console_font());
  text_->setLineWrapMode(QPlainTextEdit::NoWrap);
  text_->setMaximumBlockCount(kept_console_lines);
  text_->viewport()->installEventFilter(this);
  text_->setStyleSheet(
      QStringLiteral("QPlainTextEdit { background: black; color: %1; }").arg(text_color_.name()));

  canvas_view_ = new graphics_view(console_canvas);
  auto* canvas_holder = new QWidget;
  auto* canvas_layout = new QVBoxLayout(canvas_holder);
  canvas_layout->setContentsMargins(0, 0, 0, 0);
  canvas_layout->addWidget(canvas_view_, 0, Qt::AlignLeft | Qt::AlignTop);

  stack_ = new QStackedWidget;
  stack_->addWidget(text_);
  stack_->addWidget(canvas_holder);

  input_ = new QLineEdit;
  input_->setFont(console_font());
  input_->setEnabled(false);
  connect(input_, &QLineEdit::returnPressed, this, &frame_window::take_input_line);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addWidget(stack_, 1);
  layout->addWidget(input_);

  const QFontMetrics metrics(console_font());
  resize(metrics.horizontalAdvance(QLatin1Char('0')) * (console_columns + 2) + 30,
         metrics.lineSpacing() * console_rows + input_->sizeHint().height() + 20);
  set_program_state(running_state);
}

int frame_window::narrowest_width() const {
  const QFontMetrics metrics(console_font());
  return metrics.horizontalAdvance(QLatin1Char('0')) * (static_cast<int>(narrowest_line) + 2) + 30;
}

void frame_window::set_program_state(const QString& state) {
  program_state_ = state;
  show_title();
}

void frame_window::set_paused(bool paused) {
  paused_ = paused;
  show_title();
}

void frame_window::show_title() {
  // A program that has finished has nothing left to pause.
  const QString shown =
      paused_ && program_state_ == running_state ? QStringLiteral("paused") : program_state_;
  setWindowTitle(application_name_ + QStringLiteral(" \u2014 ") + shown);
}

void frame_window::append_line(const QString& line) {
  QTextCharFormat format;
  format.setForeground(text_color_);
  QTextCursor cursor(text_->document());
  cursor.movePosition(QTextCursor::End);
  if (!text_->document()->isEmpty()) cursor.insertBlock();
  cursor.insertText(line, format);
  text_->verticalScrollBar()->setValue(text_->verticalScrollBar()->maximum());
}

void frame_window::clear_text() {
  text_->clear();
}

void frame_window::set_text_color(rgb_color color) {
  text_color_ = QColor(color.red, color.green, color.blue);
}

void frame_window::show_canvas() {
  stack_->setCurrentIndex(1);
  canvas_view_->sync_with_canvas();
}

void frame_window::show_text() {
  stack_->setCurrentIndex(0);
}

void frame_window::request_input_line() {
  input_->setEnabled(true);
  input_->setPlaceholderText(QStringLiteral("Press Enter to continue"));
  input_->setFocus();
}

void frame_window::take_input_line() {
  if (!input_->isEnabled()) return;
  input_->clear();
  input_->setPlaceholderText(QString());
  input_->setEnabled(false);
  emit input_line_entered();
}

void frame_window::closeEvent(QCloseEvent* event) {
  event->accept();
  emit closed();
}

bool frame_window::eventFilter(QObject* watched, QEvent* event) {
  if (watched == text_->viewport() && event->type() == QEvent::Resize) measure_line_width();
  return QWidget::eventFilter(watched, event);
}

void frame_window::measure_line_width() {
  const QFontMetrics metrics(text_->font());
  const int character = std::max(1, metrics.horizontalAdvance(QLatin1Char('0')));
  const int usable =
      text_->viewport()->width() - 2 * static_cast<int>(text_->document()->documentMargin());
  characters_per_line_ = std::max<std::size_t>(
      narrowest_line, static_cast<std::size_t>(std::max(0, usable / character)));
}

}  // namespace mapplot
