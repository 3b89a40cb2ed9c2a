#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <mapplot/data_map.hpp>
#include <string>
#include <vector>

#include "textout/console_capture.hpp"

namespace {

constexpr std::size_t side = 1000;

std::vector<float> coordinates() {
  std::vector<float> values(side);
  for (std::size_t i = 0; i < side; ++i) values[i] = -2.0f + 4.0f * static_cast<float>(i) / side;
  return values;
}

// A million values spanning both notations of the real field.
std::vector<float> grid_values() {
  std::vector<float> values(side * side);
  for (std::size_t i = 0; i < values.size(); ++i)
    values[i] = std::sin(static_cast<float>(i) * 0.001f) * std::pow(10.0f, float(i % 12) - 4);
  return values;
}

std::string output_path(const char* name) {
  return (std::filesystem::temp_directory_path() / name).string();
}

void data_map_million_values(benchmark::State& state) {
  const auto x = coordinates(), y = coordinates(), z = grid_values();
  const std::string path = output_path("bench_data_map.dat");
  mapplot::console_capture console;
  for (auto _ : state) mapplot::data_map(x, y, z, {.filename = path});
  std::filesystem::remove(path);
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(z.size()));
}
BENCHMARK(data_map_million_values)->Unit(benchmark::kMillisecond);

// Baseline: the same values as plain "%15.7E" lines through stdio.
void fprintf_million_values(benchmark::State& state) {
  const auto x = coordinates(), y = coordinates(), z = grid_values();
  const std::string path = output_path("bench_fprintf.dat");
  for (auto _ : state) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
      state.SkipWithError("cannot open the baseline file");
      break;
    }
    for (const auto* values : {&x, &y, &z})
      for (const float value : *values) std::fprintf(file, "%15.7E\r\n", double(value));
    std::fclose(file);
  }
  std::filesystem::remove(path);
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(z.size()));
}
BENCHMARK(fprintf_million_values)->Unit(benchmark::kMillisecond);

}  // namespace
