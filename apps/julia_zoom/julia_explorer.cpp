#include "julia_zoom/julia_explorer.hpp"

#include <QApplication>
#include <QImage>
#include <QKeySequence>
#include <QShortcut>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <mapplot/julia_zoom.hpp>
#include <mapplot/map_widget.hpp>
#include <memory>
#include <string>
#include <vector>

#include "julia/julia_view.hpp"

namespace mapplot {
namespace {

// The off-screen picture's side: the map square of the smallest layout.
constexpr std::size_t off_screen_side = 265;

template <class Number>
std::string text_of(Number value, std::chars_format format, int precision) {
  char text[80];
  const auto result = std::to_chars(text, text + sizeof text, value, format, precision);
  return std::string(text, result.ptr);
}

// The view of the pixels of `viewport`, with the zoom's limit for its half-width.
julia_view view_of(const map_viewport& viewport) {
  const long double ray_x = (viewport.x2 - viewport.x1) / 2;
  const long double ray_y = (viewport.y2 - viewport.y1) / 2;
  return {(viewport.x1 + viewport.x2) / 2,
          (viewport.y1 + viewport.y2) / 2,
          ray_x,
          ray_y,
          julia_zoom_limit(ray_x),
          viewport.columns,
          viewport.rows};
}

void print_view_line(const julia_view& view, double fallback_share) {
  const std::string line = explorer_view_line(view, fallback_share);
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fflush(stdout);
}

// Grey levels from the counts' minimum (black) to maximum (white), the top
// row first as the map shows it.
QImage picture_of_counts(const std::vector<float>& counts, std::size_t columns, std::size_t rows) {
  const auto [low, high] = std::minmax_element(counts.begin(), counts.end());
  const double spread = double{*high} - double{*low};
  QImage picture(static_cast<int>(columns), static_cast<int>(rows), QImage::Format_RGB32);
  for (std::size_t j = 0; j < rows; ++j) {
    for (std::size_t i = 0; i < columns; ++i) {
      const double level = spread > 0 ? (counts[i + j * columns] - double{*low}) * 255 / spread : 0;
      const int grey = static_cast<int>(std::lround(level));
      picture.setPixel(static_cast<int>(i), static_cast<int>(rows - 1 - j), qRgb(grey, grey, grey));
    }
  }
  return picture;
}

int explore_off_screen(const julia_frame& frame, int frame_number) {
  const long double ray = frame.ray;
  const julia_view view{frame.cx,        frame.cy,       ray, ray, julia_zoom_limit(ray),
                        off_screen_side, off_screen_side};
  std::vector<float> counts(off_screen_side * off_screen_side);
  const julia_view_counts result = julia_counts_of_view(view, counts);
  print_view_line(view, result.fallback_share);
  const std::string name = "julia_explore-" + std::to_string(frame_number) + ".png";
  if (!picture_of_counts(counts, off_screen_side, off_screen_side)
           .save(QString::fromStdString(name))) {
    std::fprintf(stderr, "julia_zoom: cannot save %s\n", name.c_str());
    return 1;
  }
  std::fprintf(stderr, "julia_zoom: saved %s\n", name.c_str());
  return 0;
}

}  // namespace

std::string explorer_view_line(const julia_view& view, double fallback_share) {
  return "view centre " + text_of(view.cx, std::chars_format::general, 21) + " " +
         text_of(view.cy, std::chars_format::general, 21) + "  half-width " +
         text_of(view.ray_x, std::chars_format::scientific, 6) + "  limit " +
         std::to_string(view.limit) + "  fallback " +
         text_of(fallback_share * 100, std::chars_format::fixed, 2) + " %\n";
}

int run_julia_explorer(int frame_number, bool off_screen) {
  static int argument_count = 1;
  static char program_name[] = "julia_zoom";
  static char* arguments[] = {program_name, nullptr};
  QApplication application(argument_count, arguments);
  const julia_frame frame = julia_window(frame_number);
  if (off_screen) return explore_off_screen(frame, frame_number);

  map_widget map;
  map.setWindowTitle("Julia set");
  const long double ray = frame.ray;
  map.set_function(
      [](const map_viewport& viewport, std::span<float> counts, const std::atomic<bool>& cancel) {
        const julia_view view = view_of(viewport);
        const julia_view_counts result = julia_counts_of_view(view, counts, &cancel);
        if (!result.finished) return false;
        if (!viewport.preview) print_view_line(view, result.fallback_share);
        return true;
      },
      frame.cx - ray, frame.cx + ray, frame.cy - ray, frame.cy + ray,
      {.xlabel = "Re(z)", .ylabel = "Im(z)", .title = "Julia set"},
      // One console line when zooming first stops, not one a refused notch.
      [stopped = std::make_shared<bool>(false)](const map_viewport& viewport) -> std::string {
        if (julia_view_resolvable(view_of(viewport))) {
          *stopped = false;
          return {};
        }
        const std::string why = "Zooming stops here: pixels no longer distinct in long double";
        if (!*stopped) {
          std::printf("%s\n", why.c_str());
          std::fflush(stdout);
        }
        *stopped = true;
        return why;
      });
  int saved = 0;
  auto* save = new QShortcut(QKeySequence::Save, &map);
  QObject::connect(save, &QShortcut::activated, &map, [&map, &saved] {
    const std::string name = "julia_explore-window-" + std::to_string(++saved) + ".png";
    const bool done = map.grab().save(QString::fromStdString(name));
    std::fprintf(stderr, done ? "julia_zoom: saved %s\n" : "julia_zoom: cannot save %s\n",
                 name.c_str());
  });
  map.resize(map.sizeHint());
  map.show();
  return application.exec();
}

}  // namespace mapplot
