#include "julia_zoom/julia_explorer.hpp"

#include <QApplication>
#include <QImage>
#include <QKeySequence>
#include <QShortcut>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <mapplot/julia_zoom.hpp>
#include <mapplot/map_widget.hpp>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "julia/julia_view.hpp"
#include "platform/program_services.hpp"
#include "platform/qt/program_messages.hpp"
#include "platform/qt/standard_descriptors.hpp"
#include "platform/qt/window_destruction_watch.hpp"

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

// The errno of the first console line that could not be written, 0 while all
// were; lines come from the GUI thread and the computing one.
std::atomic<int> console_failure{0};

void print_line(const std::string& line) {
  errno = 0;
  const bool written =
      std::fwrite(line.data(), 1, line.size(), stdout) == line.size() && std::fflush(stdout) == 0;
  int none = 0;
  if (!written) console_failure.compare_exchange_strong(none, errno != 0 ? errno : EIO);
}

// The exit status, made a failure with one line on standard error when a
// console line was lost.
int checked_console(int status) {
  return checked_standard_output(status, console_failure.load());
}

void print_view_line(const julia_view& view, double fallback_share) {
  print_line(explorer_view_line(view, fallback_share));
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

// Through the outputs' one file writer, as every picture the program keeps:
// complete under `name` or not there, an earlier file kept on failure. Says
// which on standard error; true when saved.
bool save_picture(const QImage& shown, const std::string& name) {
  const QImage picture = shown.convertToFormat(QImage::Format_RGB32);
  // RGB32 rows are whole 32-bit pixels, so the rows follow one another.
  const std::span<const std::uint32_t> pixels(
      reinterpret_cast<const std::uint32_t*>(picture.constBits()),
      static_cast<std::size_t>(picture.width()) * static_cast<std::size_t>(picture.height()));
  if (const auto failure = save_picture_file(picture.width(), picture.height(), pixels, name)) {
    print_on_standard_error("cannot save " + name + ": " + *failure);
    return false;
  }
  print_on_standard_error("saved " + name);
  return true;
}

int explore_off_screen(const julia_frame& frame, int frame_number) {
  const long double ray = frame.ray;
  const julia_view view{frame.cx,        frame.cy,       ray, ray, julia_zoom_limit(ray),
                        off_screen_side, off_screen_side};
  std::vector<float> counts(off_screen_side * off_screen_side);
  const julia_view_counts result = julia_counts_of_view(view, counts);
  print_view_line(view, result.fallback_share);
  // A run whose console line was lost has failed at its first output: it says
  // so in one line and writes no picture.
  if (checked_console(EXIT_SUCCESS) != EXIT_SUCCESS) return EXIT_FAILURE;
  const std::string name = "julia_explore-" + std::to_string(frame_number) + ".png";
  if (!save_picture(picture_of_counts(counts, off_screen_side, off_screen_side), name))
    return EXIT_FAILURE;
  return EXIT_SUCCESS;
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
  static char program[] = "julia_zoom";
  static char* arguments[] = {program, nullptr};
  open_closed_standard_descriptors();
  set_program_name(program);
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
        if (!*stopped) print_line(why + "\n");
        *stopped = true;
        return why;
      });
  int saved = 0;
  auto* save = new QShortcut(QKeySequence::Save, &map);
  QObject::connect(save, &QShortcut::activated, &map, [&map, &saved] {
    const std::string name = "julia_explore-window-" + std::to_string(++saved) + ".png";
    save_picture(map.grab().toImage(), name);
  });
  map.add_key_help("Ctrl+S: save the picture as shown");
  map.resize(map.sizeHint());
  map.show();
  // Closing the window ends the explorer as the last window closed. One
  // destroyed from outside (`xdotool windowclose`, a window manager giving up
  // on it) sends no close event: without this the program would go on with
  // no window.
  const window_destruction_watch destruction(map);
  QObject::connect(&destruction, &window_destruction_watch::destroyed_from_outside, &application,
                   &QCoreApplication::quit);
  return checked_console(application.exec());
}

}  // namespace mapplot
