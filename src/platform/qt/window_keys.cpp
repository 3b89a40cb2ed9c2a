#include "platform/qt/window_keys.hpp"

#include <QKeyEvent>

namespace mapplot {

window_command command_for_key(const QKeyEvent& event) {
  const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
  if (event.key() == Qt::Key_S && modifiers == Qt::ControlModifier) {
    return event.isAutoRepeat() ? window_command::none : window_command::save_picture;
  }
  // Shift is how some layouts type '+'; other modifiers mean another command.
  if ((modifiers & ~Qt::ShiftModifier) != Qt::NoModifier) return window_command::none;
  switch (event.key()) {
    case Qt::Key_Space:
      // Held down, it would flip back and forth.
      return event.isAutoRepeat() ? window_command::none : window_command::toggle_pause;
    case Qt::Key_Right:
    case Qt::Key_Period:
      return window_command::step;
    case Qt::Key_Plus:
      return window_command::faster;
    case Qt::Key_Minus:
      return window_command::slower;
    default:
      return window_command::none;
  }
}

}  // namespace mapplot
