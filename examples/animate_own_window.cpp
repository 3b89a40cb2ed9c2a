// A travelling wave in a window of its own, drawn eight times: the first call
// (update false) opens and prepares the window, the later ones (update true)
// redraw into it. Off screen (no display, or QT_QPA_PLATFORM=offscreen) the
// last picture is saved as "animate_own_window-window-101.png".
#include <cmath>
#include <mapplot/application.hpp>
#include <mapplot/screen_map.hpp>
#include <numbers>
#include <vector>

namespace {

void play_wave() {
  constexpr std::size_t side = 64;
  constexpr int frames = 8;
  std::vector<float> x(side), y(side), z(side * side);
  for (std::size_t i = 0; i < side; ++i) {
    x[i] = y[i] = static_cast<float>(i) / (side - 1) * 2 * std::numbers::pi_v<float>;
  }
  for (int frame = 0; frame < frames; ++frame) {
    const float phase = static_cast<float>(frame) / frames * 2 * std::numbers::pi_v<float>;
    for (std::size_t q = 0; q < side; ++q) {
      for (std::size_t p = 0; p < side; ++p)
        z[p + q * side] = std::sin(x[p] + phase) * std::cos(y[q]);
    }
    // The float overloads work on copies: x, y and z are left as they are.
    mapplot::screen_map(x, y, mapplot::grid_view<float>::of(z, side, side),
                        {.xlabel = "x",
                         .ylabel = "y",
                         .title = "Travelling wave",
                         .ownwindow = true,
                         .update = frame > 0});
  }
}

}  // namespace

int main(int argc, char** argv) {
  return mapplot::run_windowed_program(argc, argv, "animate_own_window", play_wave);
}
