// Watches one X window and writes a line each time its picture changes,
// "<milliseconds since start> <width>x<height> <picture hash>", until the
// picture has stayed the same for the given quiet seconds after a first
// change, or the window is gone. Arguments: window id, quiet seconds, and
// optionally how many rows from the top to watch (the program's picture,
// above the window's strip).
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "picture_hash.hpp"

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  QGuiApplication application(argc, argv);
  const WId window = std::stoull(argv[1], nullptr, 0);
  const std::chrono::duration<double> quiet(std::stod(argv[2]));
  const int watched_rows = argc > 3 ? std::stoi(argv[3]) : 0;
  QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return 2;

  using clock = std::chrono::steady_clock;
  const auto start = clock::now();
  auto last_change = start;
  bool changed = false;
  std::uint64_t last_hash = 0;
  while (!changed || clock::now() - last_change < quiet) {
    const QPixmap shot = screen->grabWindow(window);
    if (shot.isNull()) break;
    QImage picture = shot.toImage().convertToFormat(QImage::Format_RGB32);
    if (watched_rows > 0 && watched_rows < picture.height())
      picture = picture.copy(0, 0, picture.width(), watched_rows);
    const std::uint64_t hash = mapplot::testing::picture_hash(
        reinterpret_cast<const std::uint32_t*>(picture.constBits()),
        static_cast<std::size_t>(picture.width()) * static_cast<std::size_t>(picture.height()));
    if (hash != last_hash) {
      const auto now = clock::now();
      std::printf("%lld %dx%d %016llx\n",
                  static_cast<long long>(
                      std::chrono::duration_cast<std::chrono::milliseconds>(now - start).count()),
                  picture.width(), picture.height(), static_cast<unsigned long long>(hash));
      std::fflush(stdout);
      last_hash = hash;
      last_change = now;
      changed = true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return 0;
}
