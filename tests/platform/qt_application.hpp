#pragma once

#include <QApplication>

namespace mapplot::testing {

// The one QApplication that in-process Qt tests share, made on first use and
// kept for the test program's life (Qt allows only one per process).
inline void ensure_qt_application() {
  static int argc = 1;
  static char name[] = "platform_test";
  static char* argv[] = {name, nullptr};
  if (QApplication::instance() == nullptr) new QApplication(argc, argv);
}

}  // namespace mapplot::testing
