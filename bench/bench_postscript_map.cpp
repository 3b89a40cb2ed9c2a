// A grid written as a PostScript map, against baselines measured in the same
// run. What counts is whole processes, as a caller's program runs: one that
// makes the grid and calls postscript_map, beside one that makes the same
// grid and makes the documented PGPLOT calls itself, with and without the
// file and folder sync the map does; the processes take turns, so a busy
// machine slows both alike. Their peak memory (ru_maxrss) is set against the
// bytes of the values. In-process figures follow: the map, the null device
// (all the work but the file) and writing a file of the same size in one go.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <mapplot/postscript_map.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "psmap/pgplot_binding.hpp"
#include "textout/console_capture.hpp"

extern char** environ;

namespace {

struct field {
  std::vector<float> x, y, z;
};

// sin(10 x) cos(7 y) over the unit square, x fastest.
field wave_field(std::size_t side) {
  field made{std::vector<float>(side), std::vector<float>(side), std::vector<float>(side * side)};
  std::vector<float> along_x(side), along_y(side);
  for (std::size_t k = 0; k < side; ++k) {
    made.x[k] = made.y[k] = static_cast<float>(k) / static_cast<float>(side);
    along_x[k] = std::sin(10.0f * made.x[k]);
    along_y[k] = std::cos(7.0f * made.y[k]);
  }
  for (std::size_t i = 0; i < side; ++i)
    for (std::size_t j = 0; j < side; ++j) made.z[i * side + j] = along_x[j] * along_y[i];
  return made;
}

const field& field_of_1000() {
  static const field grid = wave_field(1000);
  return grid;
}

std::string plot_path(const std::string& name) {
  return (std::filesystem::temp_directory_path() / name).string();
}

void sync_file_and_folder(const std::string& path) {
  const int file = ::open(path.c_str(), O_RDONLY);
  ::fsync(file);
  ::close(file);
  const int folder = ::open(std::filesystem::path(path).parent_path().c_str(), O_RDONLY);
  ::fsync(folder);
  ::close(folder);
}

// The documented PGPLOT calls for the map, made straight from the caller's
// values: no checks, no copy, no temporary file; with `synced`, the file and
// its folder are then flushed to the disk as the map does.
void plot_directly(const field& grid, const std::string& path, bool synced) {
  namespace pgplot = mapplot::pgplot;
  std::string device = path;
  device.resize(std::max<std::size_t>(device.size(), 80), ' ');
  device += "/ps";
  const int nx = static_cast<int>(grid.x.size()), ny = static_cast<int>(grid.y.size());
  const float dx = (grid.x.back() - grid.x.front()) / static_cast<float>(nx - 1);
  const float dy = (grid.y.back() - grid.y.front()) / static_cast<float>(ny - 1);
  const pgplot::transform tr{grid.x.front() - dx, dx, 0.0f, grid.y.front() - dy, 0.0f, dy};
  const std::array<float, 5> outline_x{grid.x.front(), grid.x.front(), grid.x.back(), grid.x.back(),
                                       grid.x.front()};
  const std::array<float, 5> outline_y{grid.y.front(), grid.y.back(), grid.y.back(), grid.y.front(),
                                       grid.y.front()};
  const std::array<float, 2> ramp{0.0f, 1.0f};
  const auto [low, high] = std::minmax_element(grid.z.begin(), grid.z.end());
  pgplot::begin(0, device, 1, 1);
  pgplot::scf(2);
  pgplot::slw(3);
  pgplot::svp(0.12f, 0.83f, 0.12f, 0.88f);
  pgplot::wnad(grid.x.front(), grid.x.back(), grid.y.front(), grid.y.back());
  pgplot::bbuf();
  pgplot::ctab(ramp, ramp, ramp, ramp, 1.0f, 0.5f);
  pgplot::imag(grid.z, nx, ny, 1, nx, 1, ny, *low, *high, tr);
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
  if (synced) sync_file_and_folder(path);
}

// ---- The measured processes: this program started again with these arguments.

constexpr std::string_view child_flag = "--plot-process";

// What a child does with its grid: nothing (the cost of making it), the
// direct calls, the direct calls with the syncs, or postscript_map.
int run_plot_process(std::string_view what, std::size_t side, const std::string& path) {
  const field grid = wave_field(side);
  if (what == "values") {
    benchmark::DoNotOptimize(grid.z.data());
  } else if (what == "direct") {
    plot_directly(grid, path, false);
  } else if (what == "direct-synced") {
    plot_directly(grid, path, true);
  } else if (what == "map") {
    mapplot::postscript_map(grid.x, grid.y, grid.z, {.filename = path});
  } else {
    return 2;
  }
  return 0;
}

struct process_run {
  double seconds = 0;
  double peak_bytes = 0;
  bool succeeded = false;
};

process_run run_process(const char* what, std::size_t side, const std::string& path) {
  std::string program = "/proc/self/exe", flag(child_flag), kind = what,
              size = std::to_string(side), file = path;
  char* arguments[] = {program.data(), flag.data(), kind.data(), size.data(), file.data(), nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  process_run run;
  const auto start = std::chrono::steady_clock::now();
  pid_t child = 0;
  if (posix_spawn(&child, program.c_str(), &actions, nullptr, arguments, environ) == 0) {
    int status = -1;
    rusage usage{};
    if (::wait4(child, &status, 0, &usage) == child) {
      run.succeeded = WIFEXITED(status) && WEXITSTATUS(status) == 0;
      run.peak_bytes = static_cast<double>(usage.ru_maxrss) * 1024.0;
    }
  }
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  posix_spawn_file_actions_destroy(&actions);
  return run;
}

// One round is one process of each kind, in an order that turns every
// round; the time reported is the map's.
void BM_PlotProcesses(benchmark::State& state) {
  const auto side = static_cast<std::size_t>(state.range(0));
  const std::string path = plot_path("bench_process_" + std::to_string(::getpid()) + ".ps");
  constexpr std::array<const char*, 4> kinds{"map", "direct-synced", "direct", "values"};
  std::array<double, kinds.size()> seconds{}, peak{};
  std::size_t round = 0;
  bool failed = false;
  for (auto _ : state) {
    std::array<double, kinds.size()> this_round{};
    for (std::size_t turn = 0; turn < kinds.size(); ++turn) {
      const std::size_t kind = (turn + round) % kinds.size();
      const process_run run = run_process(kinds[kind], side, path);
      failed = failed || !run.succeeded;
      this_round[kind] = run.seconds;
      seconds[kind] += run.seconds;
      peak[kind] = std::max(peak[kind], run.peak_bytes);
    }
    state.SetIterationTime(this_round[0]);
    ++round;
  }
  std::error_code ignored;
  std::filesystem::remove(path, ignored);
  if (failed) {
    state.SkipWithError("a plot process failed");
    return;
  }
  const double values = static_cast<double>(side * side * sizeof(float));
  state.counters["time_over_direct_synced"] = seconds[0] / seconds[1];
  state.counters["time_over_direct"] = seconds[0] / seconds[2];
  state.counters["direct_synced_s"] = seconds[1] / static_cast<double>(round);
  state.counters["values_only_s"] = seconds[3] / static_cast<double>(round);
  state.counters["peak_over_values"] = peak[0] / values;
  state.counters["direct_peak_over_values"] = peak[1] / values;
  state.counters["values_only_peak_over_values"] = peak[3] / values;
}

// ---- In-process figures for a 1000 x 1000 grid.

void plot(benchmark::State& state, const char* device, const char* name) {
  mapplot::console_capture quiet;
  const field& grid = field_of_1000();
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

void direct_pgplot_calls(benchmark::State& state, bool synced) {
  const std::string path = plot_path("bench_direct.ps");
  for (auto _ : state) plot_directly(field_of_1000(), path, synced);
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
  const field& grid = field_of_1000();
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

// 1000 x 1000 for time; 10,000 x 10,000 (400 MB of values) once, for memory.
BENCHMARK(BM_PlotProcesses)
    ->Arg(1000)
    ->Iterations(20)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlotProcesses)->Arg(10000)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_WriteSameBytesBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DirectPgplotCallsBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DirectPgplotCallsSyncedBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NullDeviceBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PostscriptMap)->Unit(benchmark::kMillisecond);

}  // namespace

// A plot process when started with child_flag; the benchmarks otherwise.
int main(int argc, char** argv) {
  if (argc == 5 && argv[1] == child_flag) {
    mapplot::console_capture quiet;
    return run_plot_process(argv[2], std::stoul(argv[3]), argv[4]);
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
