// A 1000 x 1000 grid written as a PostScript map, against baselines
// measured in the same run: the same PGPLOT calls made directly (what the
// map adds is the ratio of the two), the same call on PGPLOT's null device
// (all the work but the file) and writing a file of the same size in one go.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <mapplot/postscript_map.hpp>
#include <string>
#include <vector>

#include "psmap/pgplot_binding.hpp"
#include "textout/console_capture.hpp"

namespace {

constexpr std::size_t side = 1000;

struct field {
  std::vector<float> x, y, z;
};

const field& wave_field() {
  static const field grid = [] {
    field made{std::vector<float>(side), std::vector<float>(side), std::vector<float>(side * side)};
    for (std::size_t k = 0; k < side; ++k) made.x[k] = made.y[k] = static_cast<float>(k) / side;
    for (std::size_t i = 0; i < side; ++i)
      for (std::size_t j = 0; j < side; ++j)
        made.z[i * side + j] = std::sin(10.0f * made.x[j]) * std::cos(7.0f * made.y[i]);
    return made;
  }();
  return grid;
}

std::string plot_path(const char* name) {
  return (std::filesystem::temp_directory_path() / name).string();
}

void plot(benchmark::State& state, const char* device, const char* name) {
  mapplot::console_capture quiet;
  const field& grid = wave_field();
  const std::string path = plot_path(name);
  for (auto _ : state)
    mapplot::postscript_map(grid.x, grid.y, grid.z, {.filename = path, .device = device});
  std::error_code missing;
  const auto bytes = std::filesystem::file_size(path, missing);
  if (!missing) state.counters["file_bytes"] = static_cast<double>(bytes);
  std::filesystem::remove(path, missing);
}

void BM_PostscriptMap(benchmark::State& state) {
  plot(state, "ps", "bench_map.ps");
}
void BM_NullDeviceBaseline(benchmark::State& state) {
  plot(state, "null", "bench_map.null");
}

// The documented PGPLOT calls for the same map, made straight from the
// caller's values: no checks, no copy, no temporary file, no sync; with
// `synced`, the file and its folder are then flushed to the disk as the map
// does, which shows what the sync costs and what the rest of the map costs.
void direct_pgplot_calls(benchmark::State& state, bool synced) {
  namespace pgplot = mapplot::pgplot;
  const field& grid = wave_field();
  const std::string path = plot_path("bench_direct.ps");
  std::string device = path;
  device.resize(std::max<std::size_t>(device.size(), 80), ' ');
  device += "/ps";
  const int n = static_cast<int>(side);
  const float dx = (grid.x.back() - grid.x.front()) / static_cast<float>(side - 1);
  const float dy = (grid.y.back() - grid.y.front()) / static_cast<float>(side - 1);
  const pgplot::transform tr{grid.x.front() - dx, dx, 0.0f, grid.y.front() - dy, 0.0f, dy};
  const std::array<float, 5> outline_x{grid.x.front(), grid.x.front(), grid.x.back(), grid.x.back(),
                                       grid.x.front()};
  const std::array<float, 5> outline_y{grid.y.front(), grid.y.back(), grid.y.back(), grid.y.front(),
                                       grid.y.front()};
  const std::array<float, 2> ramp{0.0f, 1.0f};
  for (auto _ : state) {
    const auto [low, high] = std::minmax_element(grid.z.begin(), grid.z.end());
    pgplot::begin(0, device, 1, 1);
    pgplot::scf(2);
    pgplot::slw(3);
    pgplot::svp(0.12f, 0.83f, 0.12f, 0.88f);
    pgplot::wnad(grid.x.front(), grid.x.back(), grid.y.front(), grid.y.back());
    pgplot::bbuf();
    pgplot::ctab(ramp, ramp, ramp, ramp, 1.0f, 0.5f);
    pgplot::imag(grid.z, n, n, 1, n, 1, n, *low, *high, tr);
    pgplot::ebuf();
    pgplot::sci(0);
    pgplot::sci(1);
    pgplot::sls(1);
    pgplot::slw(1);
    pgplot::sci(1);
    pgplot::line(outline_x, outline_y);
    pgplot::box("bcnts", 0.0f, 0, "bcnts", 0.0f, 0);
    pgplot::sch(0.8f);
    pgplot::wedg("ri", 3.0f, 4.0f, *low, *high, " ");
    pgplot::sci(1);
    pgplot::sch(1.0f);
    pgplot::slw(3);
    pgplot::label("x", "y", "Representation of z=z(x,y)");
    pgplot::sci(0);
    pgplot::slw(3);
    pgplot::end();
    if (synced) {
      const int file = ::open(path.c_str(), O_RDONLY);
      ::fsync(file);
      ::close(file);
      const int folder = ::open(std::filesystem::path(path).parent_path().c_str(), O_RDONLY);
      ::fsync(folder);
      ::close(folder);
    }
  }
  std::error_code missing;
  state.counters["file_bytes"] = static_cast<double>(std::filesystem::file_size(path, missing));
  std::filesystem::remove(path, missing);
}

void BM_DirectPgplotCallsBaseline(benchmark::State& state) {
  direct_pgplot_calls(state, false);
}
void BM_DirectPgplotCallsSyncedBaseline(benchmark::State& state) {
  direct_pgplot_calls(state, true);
}

// The PostScript file's size written with one fwrite.
void BM_WriteSameBytesBaseline(benchmark::State& state) {
  const field& grid = wave_field();
  const std::string reference = plot_path("bench_reference.ps");
  {
    mapplot::console_capture quiet;
    mapplot::postscript_map(grid.x, grid.y, grid.z, {.filename = reference});
  }
  std::error_code ignored;
  const std::vector<char> bytes(std::filesystem::file_size(reference, ignored), 'x');
  std::filesystem::remove(reference, ignored);
  const std::string path = plot_path("bench_bytes.ps");
  for (auto _ : state) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
      state.SkipWithError("cannot write the baseline file");
      break;
    }
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
  }
  state.counters["file_bytes"] = static_cast<double>(bytes.size());
  std::filesystem::remove(path, ignored);
}

BENCHMARK(BM_WriteSameBytesBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DirectPgplotCallsBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DirectPgplotCallsSyncedBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NullDeviceBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PostscriptMap)->Unit(benchmark::kMillisecond);

}  // namespace
