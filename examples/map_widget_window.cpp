// A map inside a program's own Qt window: a main window holding a
// mapplot::map_widget and a slider that shifts the wave it shows. Hover over
// the map to read values, turn the wheel to zoom, drag to pan, press Home to
// see the whole map again and F1 for the keys.
//
// With --snapshot FILE the program shows its window, saves the widget as a PNG
// and quits (the package check runs it so, off screen).
#include <QApplication>
#include <QMainWindow>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>
#include <cstring>
#include <mapplot/map_widget.hpp>
#include <numbers>
#include <vector>

namespace {

constexpr std::size_t side = 200;

// A wave shifted by `phase`, x index fastest.
std::vector<float> wave(const std::vector<float>& x, const std::vector<float>& y, float phase) {
  std::vector<float> z(side * side);
  for (std::size_t q = 0; q < side; ++q) {
    for (std::size_t p = 0; p < side; ++p)
      z[p + q * side] = std::sin(x[p] + phase) * std::cos(y[q]);
  }
  return z;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  const char* snapshot = argc == 3 && std::strcmp(argv[1], "--snapshot") == 0 ? argv[2] : nullptr;

  std::vector<float> x(side), y(side);
  for (std::size_t i = 0; i < side; ++i)
    x[i] = y[i] = static_cast<float>(i) / (side - 1) * 2 * std::numbers::pi_v<float>;

  QMainWindow window;
  window.setWindowTitle("Travelling wave");
  auto* central = new QWidget;
  auto* layout = new QVBoxLayout(central);
  auto* map = new mapplot::map_widget;
  auto* slider = new QSlider(Qt::Horizontal);
  slider->setRange(0, 99);
  layout->addWidget(map, 1);
  layout->addWidget(slider);
  window.setCentralWidget(central);

  const auto show_phase = [&](int step) {
    const float phase = static_cast<float>(step) / 100 * 2 * std::numbers::pi_v<float>;
    // The widget copies what it keeps: z may go once set_map returns.
    const std::vector<float> z = wave(x, y, phase);
    map->set_map(x, y, mapplot::grid_view<float>{z.data(), side, side},
                 {.xlabel = "x", .ylabel = "y", .title = "Travelling wave"});
  };
  QObject::connect(slider, &QSlider::valueChanged, map, show_phase);
  show_phase(0);
  window.resize(640, 420);
  window.show();

  if (snapshot != nullptr) {
    QTimer::singleShot(0, &application, [&] {
      slider->setValue(25);
      const bool saved = map->grab().save(QString::fromLocal8Bit(snapshot));
      application.exit(saved ? 0 : 1);
    });
  }
  return application.exec();
}
