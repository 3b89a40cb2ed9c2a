// One map of n x n floats drawn off screen into a real Qt canvas, as a whole
// process, for bench_screen_map to time and to weigh (its peak memory):
//   screen_map_process <n> pixels   screen_map as it is
//   screen_map_process <n> cells    the cell-by-cell baseline
//   screen_map_process <n> data     only the values made, nothing drawn
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mapplot/screen_map.hpp>
#include <string_view>
#include <thread>
#include <vector>

#include "cell_by_cell_map.hpp"
#include "platform/qt/qt_window_system.hpp"

namespace {

// The process's peak resident memory (VmHWM, kB), written on standard output:
// unlike ru_maxrss it starts afresh at exec and holds nothing of the parent.
void report_peak_memory() {
  std::FILE* status = std::fopen("/proc/self/status", "r");
  if (status == nullptr) return;
  char line[256];
  while (std::fgets(line, sizeof line, status) != nullptr) {
    if (std::strncmp(line, "VmHWM:", 6) == 0) std::printf("peak_kB %s", line + 6);
  }
  std::fclose(status);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: screen_map_process <n> pixels|cells|data\n");
    return 2;
  }
  const std::size_t n = std::strtoull(argv[1], nullptr, 10);
  const std::string_view mode = argv[2];
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);

  std::vector<float> x(n), y(n), z(n * n);
  for (std::size_t i = 0; i < n; ++i) x[i] = y[i] = static_cast<float>(i) / static_cast<float>(n);
  for (std::size_t j = 0; j < n; ++j) {
    for (std::size_t i = 0; i < n; ++i) z[i + j * n] = static_cast<float>((i ^ j) & 1023);
  }
  if (mode == "data") {
    report_peak_memory();
    return z[n * n / 2] < 0;
  }

  mapplot::qt_window_system windows(mapplot::display_mode::off_screen);
  mapplot::install_window_system(&windows);
  std::thread program([&] {
    if (mode == "pixels") {
      mapplot::screen_map(x, y, mapplot::grid_view<float>{z.data(), n, n}, {.ownwindow = true});
      return;
    }
    const std::vector<double> x_widened(x.begin(), x.end()), y_widened(y.begin(), y.end());
    const mapplot::pixel_rectangle viewport{4, 4, 577, 267};
    const mapplot::world_window world{
        true, x_widened.front(), y_widened.front(),
        x_widened.front() + (x_widened.back() - x_widened.front()) * 573 / 263, y_widened.back()};
    QImage image(581, 271, QImage::Format_RGB32);
    image.fill(Qt::black);
    mapplot::baseline::draw_cell_by_cell<float>(image, x_widened, y_widened, z, viewport, world);
  });
  program.join();
  mapplot::install_window_system(nullptr);
  report_peak_memory();
  return 0;
}
