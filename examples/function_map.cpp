// A map whose values a function computes for whatever view is shown:
// sin(x y), worked out again at the widget's resolution after every zoom,
// pan or resize. Turn the wheel to zoom, drag to pan, press Home to see the
// first view again and F1 for the keys.
//
// With --snapshot FILE the program shows its window, saves the widget as a PNG
// once the view is computed, and quits.
#include <QApplication>
#include <QTimer>
#include <atomic>
#include <cmath>
#include <cstring>
#include <mapplot/map_widget.hpp>
#include <span>

namespace {

// The function's value at each pixel centre of the viewport, row by row from
// the bottom; gives up when the widget has moved on to another view.
bool sine_of_product(const mapplot::map_viewport& view, std::span<float> values,
                     const std::atomic<bool>& cancel) {
  for (std::size_t j = 0; j < view.rows; ++j) {
    if (cancel) return false;
    const long double y = view.y1 + (view.y2 - view.y1) * (2 * j + 1) / (2.0L * view.rows);
    for (std::size_t i = 0; i < view.columns; ++i) {
      const long double x = view.x1 + (view.x2 - view.x1) * (2 * i + 1) / (2.0L * view.columns);
      values[i + j * view.columns] = static_cast<float>(std::sin(x * y));
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  const char* snapshot = argc == 3 && std::strcmp(argv[1], "--snapshot") == 0 ? argv[2] : nullptr;

  mapplot::map_widget map;
  map.setWindowTitle("sin(x y)");
  map.set_function(sine_of_product, -4, 4, -4, 4,
                   {.xlabel = "x", .ylabel = "y", .title = "sin(x y)"});
  map.resize(640, 420);
  map.show();

  if (snapshot != nullptr) {
    auto* poll = new QTimer(&application);
    QObject::connect(poll, &QTimer::timeout, &application, [&] {
      map.repaint();
      if (!map.view_computed()) return;
      const bool saved = map.grab().save(QString::fromLocal8Bit(snapshot));
      application.exit(saved ? 0 : 1);
    });
    poll->start(20);
  }
  return application.exec();
}
