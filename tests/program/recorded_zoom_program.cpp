// julia_zoom that also writes a line for every frame window 101 presents,
// "<frame number> <picture hash> <milliseconds since start>", to the file
// named by its argument.
#include <chrono>
#include <cstdio>
#include <mapplot/application.hpp>
#include <mapplot/julia_zoom.hpp>
#include <mapplot/window_pictures.hpp>

#include "picture_hash.hpp"

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  std::FILE* frames = std::fopen(argv[1], "w");
  if (frames == nullptr) return 2;
  const auto start = std::chrono::steady_clock::now();
  mapplot::add_frame_receiver([frames, start](const mapplot::presented_frame& frame) {
    if (frame.window_number != 101) return;
    const auto since_start = std::chrono::steady_clock::now() - start;
    std::fprintf(frames, "%lld %016llx %lld\n", frame.frame_number,
                 static_cast<unsigned long long>(
                     mapplot::testing::picture_hash(frame.pixels.data(), frame.pixels.size())),
                 static_cast<long long>(
                     std::chrono::duration_cast<std::chrono::milliseconds>(since_start).count()));
    std::fflush(frames);
  });
  return mapplot::run_windowed_program(argc, argv, "julia_zoom", mapplot::julia_zoom);
}
