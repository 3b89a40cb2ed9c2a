// A caller that shows an 8 x 6 map in a window of its own, cell (c, r) holding
// c + 10 r, and draws it again and again for the user to examine.
#include <chrono>
#include <mapplot/application.hpp>
#include <mapplot/screen_map.hpp>
#include <thread>
#include <vector>

int main(int argc, char** argv) {
  return mapplot::run_windowed_program(argc, argv, "zoomed_map", [] {
    std::vector<double> x, y, z;
    for (int c = 0; c < 8; ++c) x.push_back(c);
    for (int r = 0; r < 6; ++r) y.push_back(r);
    for (int r = 0; r < 6; ++r)
      for (int c = 0; c < 8; ++c) z.push_back(c + 10 * r);
    mapplot::screen_map(x, y, z, {.title = "viewed map", .ownwindow = true});
    // The same frame again and again for a minute, as an animation would: the
    // user's view must hold across frames, and no closing question may take
    // the input meanwhile.
    for (int frame = 0; frame < 600; ++frame) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      mapplot::screen_map(x, y, z, {.title = "viewed map", .ownwindow = true, .update = true});
    }
  });
}
