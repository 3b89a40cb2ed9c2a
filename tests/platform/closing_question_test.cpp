// A program run on screen in process, on the offscreen platform's windows:
// after its routine has returned, the frame window asks whether to close, and
// the graphics windows still take the user's events meanwhile.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <QWindow>
#include <cstdlib>
#include <filesystem>
#include <mapplot/screen_map.hpp>
#include <string>
#include <vector>

#include "platform/cancellation.hpp"
#include "platform/qt/graphics_view.hpp"
#include "platform/qt/on_screen_run.hpp"
#include "qt_application.hpp"

namespace mapplot {
namespace {

template <class Widget>
Widget* shown_window() {
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (auto* found = qobject_cast<Widget*>(window); found != nullptr && found->isVisible())
      return found;
  }
  return nullptr;
}

// The wheel through the window. The cursor and the keys come the platform's
// way (QTest's), where a window blocked by a modal one drops them.
void wheel(QWidget& view, QPoint where) {
  QWheelEvent turn(where, view.mapToGlobal(where), {}, {0, 240}, Qt::NoButton, Qt::NoModifier,
                   Qt::NoScrollPhase, false);
  QApplication::sendEvent(view.windowHandle(), &turn);
}

bool holds_saved_window(const std::filesystem::path& folder) {
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().filename().string().find("-window-") != std::string::npos) return true;
  }
  return false;
}

TEST(ClosingQuestion, TheGraphicsWindowsAnswerWhileItIsAskedAndYesEndsTheRun) {
  testing::ensure_qt_application();
  reset_cancellation();
  const bool quit_on_last_window = QApplication::quitOnLastWindowClosed();

  // Ctrl+S saves into the current folder.
  namespace fs = std::filesystem;
  const fs::path test_folder = fs::current_path();
  const fs::path saves =
      fs::temp_directory_path() / ("closing_question_" + std::to_string(::getpid()));
  fs::create_directories(saves);
  fs::current_path(saves);

  bool asked = false, hovered = false, zoomed = false;
  QTimer watch;
  watch.setInterval(10);
  QObject::connect(&watch, &QTimer::timeout, [&] {
    auto* question = shown_window<QMessageBox>();
    auto* view = shown_window<graphics_view>();
    if (question == nullptr || view == nullptr) return;
    watch.stop();
    asked = question->text().contains(QStringLiteral("has finished. Close it?"));
    const QPoint inside_map(100, 100);
    QTest::mouseMove(view->windowHandle(), inside_map);
    hovered = !view->status_lines().isEmpty();
    const QImage whole = view->shown_picture();
    wheel(*view, inside_map);
    zoomed = view->shown_picture() != whole;
    QTest::keyClick(view->windowHandle(), Qt::Key_S, Qt::ControlModifier);
    question->button(QMessageBox::Yes)->click();
  });
  watch.start();

  int status = -1;
  {
    on_screen_run run(*qApp, QStringLiteral("viewed"));
    status = run.run([] {
      const std::vector<double> x{0, 1}, y{0, 1}, values{0, 1, 2, 3};
      screen_map(x, y, values, {.ownwindow = true});
    });
  }
  QApplication::setQuitOnLastWindowClosed(quit_on_last_window);
  fs::current_path(test_folder);
  EXPECT_TRUE(asked);
  EXPECT_TRUE(hovered);
  EXPECT_TRUE(zoomed);
  EXPECT_TRUE(holds_saved_window(saves));
  fs::remove_all(saves);
  EXPECT_EQ(status, EXIT_SUCCESS);
}

}  // namespace
}  // namespace mapplot
