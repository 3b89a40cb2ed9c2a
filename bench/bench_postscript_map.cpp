// A 1000 x 1000 grid written as a PostScript map, against two baselines
// measured in the same run: the same call on PGPLOT's null device (all the
// work but the file) and writing a file of the same size in one go.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <mapplot/console.hpp>
#include <mapplot/postscript_map.hpp>
#include <string>
#include <vector>

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
BENCHMARK(BM_NullDeviceBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PostscriptMap)->Unit(benchmark::kMillisecond);

}  // namespace
