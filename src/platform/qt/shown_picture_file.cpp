#include "platform/qt/shown_picture_file.hpp"

#include <QCoreApplication>
#include <string>

#include "platform/qt/picture_file.hpp"
#include "platform/qt/window_canvas.hpp"
#include "textout/write_console.hpp"

namespace mapplot {

void save_shown_picture(const window_canvas& canvas, const QImage& picture) {
  const numbered_picture shown{picture, canvas.frame_number()};
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

}  // namespace mapplot
