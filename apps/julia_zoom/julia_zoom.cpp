#include <cstdint>
#include <mapplot/map_request.hpp>
#include <mapplot/screen_map.hpp>
#include <string_view>
#include <vector>

#include "julia_zoom/play_julia_zoom.hpp"
#include "textout/write_console.hpp"

namespace mapplot {

void play_julia_zoom(julia_grid_function fill_grid) {
  constexpr std::size_t side = julia_grid_side;
  // Allocated once for the whole run; std::bad_alloc reaches the windowing
  // layer, which reports it as a fatal error before any frame is drawn.
  std::vector<float> A(side * side);
  std::vector<float> X(side);
  std::vector<float> Y(side);

  bool first_frame_done = false;
  for (int k = 1; k <= julia_frame_count; ++k) {
    const julia_frame frame = julia_window(k);
    write_console({std::int32_t{k}, std::string_view(" Ray = "), frame.ray});
    fill_grid(frame, X, Y, A);
    screen_map(X, Y, grid_view<float>{A.data(), side, side},
               {.xlabel = "Re(z)",
                .ylabel = "Im(z)",
                .title = "Julia set",
                .winsize = 1,
                .ownwindow = true,
                .update = first_frame_done});
    first_frame_done = true;
  }
}

void julia_zoom() {
  play_julia_zoom(julia_grid);
}

}  // namespace mapplot
