// A map drawn at the cost of its pixels against the cell-by-cell drawing it
// replaced (bench/cell_by_cell_map.hpp), measured in the same run:
// - in process, one picture into a 581 x 271 canvas for the zoom's 121 x 121
//   grid and a 1,000 x 1,000 one (the values' range and kept copy included);
// - as whole processes, one screen_map call of n x n floats off screen into
//   a real Qt canvas (Qt started, the values made, the map and legend drawn),
//   with the process's peak memory as a multiple of the values' size, beside
//   the cell-by-cell baseline and, where Python has it, matplotlib's imshow
//   to a PNG of the same values.
// Times are processor time (the thread's in process; user plus system time of
// the whole process), which a machine busy with other work disturbs far less
// than the wall clock; the processes' wall time is reported beside it.
// Counters: x_cell_by_cell and x_matplotlib are time ratios to those.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "cell_by_cell_map.hpp"
#include "platform/map_data.hpp"
#include "platform/qt/canvas_drawing.hpp"
#include "request/value_range.hpp"

extern char** environ;

namespace {

using seconds = std::chrono::duration<double>;
using mapplot::pixel_rectangle;
using mapplot::world_window;

constexpr pixel_rectangle viewport{4, 4, 577, 267};

struct test_grid {
  std::vector<double> x, y;
  std::vector<float> z;
  world_window world;
};

test_grid make_grid(std::size_t n) {
  test_grid grid{std::vector<double>(n), std::vector<double>(n), std::vector<float>(n * n), {}};
  for (std::size_t i = 0; i < n; ++i) grid.x[i] = grid.y[i] = static_cast<double>(i) / n;
  for (std::size_t k = 0; k < grid.z.size(); ++k)
    grid.z[k] = static_cast<float>(std::sin(0.001 * static_cast<double>(k)));
  grid.world = {true, grid.x.front(), grid.y.front(),
                grid.x.front() + (grid.x.back() - grid.x.front()) * 573 / 263, grid.y.back()};
  return grid;
}

QImage blank_canvas() {
  QImage image(581, 271, QImage::Format_RGB32);
  image.fill(Qt::black);
  return image;
}

void draw_cell_by_cell(const test_grid& grid, QImage& image) {
  mapplot::baseline::draw_cell_by_cell<float>(image, grid.x, grid.y, grid.z, viewport, grid.world);
}

// What screen_map does for the layer: the range, the kept copy, the pixels.
void draw_at_pixel_cost(const test_grid& grid, QImage& image) {
  const mapplot::value_range range = mapplot::finite_range(std::span<const float>(grid.z));
  const mapplot::map_data map{
      grid.x,    grid.y,    mapplot::map_values<float>(grid.z.begin(), grid.z.end()),
      range.min, range.max, false};
  mapplot::draw_map_pixels(image, map, viewport, grid.world, viewport);
}

seconds thread_time() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return seconds(static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9);
}

template <class Work>
seconds timed(Work&& work) {
  const seconds start = thread_time();
  work();
  return thread_time() - start;
}

template <class Work>
seconds median_of_five(Work&& work) {
  std::vector<seconds> runs;
  for (int run = 0; run < 5; ++run) runs.push_back(timed(work));
  std::sort(runs.begin(), runs.end());
  return runs[2];
}

void one_picture(benchmark::State& state, bool at_pixel_cost) {
  const test_grid grid = make_grid(static_cast<std::size_t>(state.range(0)));
  QImage image = blank_canvas();
  const seconds baseline = median_of_five([&] { draw_cell_by_cell(grid, image); });
  seconds total{};
  for (auto _ : state) {
    const seconds took = timed([&] {
      if (at_pixel_cost) {
        draw_at_pixel_cost(grid, image);
      } else {
        draw_cell_by_cell(grid, image);
      }
    });
    benchmark::DoNotOptimize(image.constBits());
    total += took;
    state.SetIterationTime(took.count());
  }
  state.counters["x_cell_by_cell"] =
      benchmark::Counter(total / baseline, benchmark::Counter::kAvgIterations);
}

// A whole process: its wall and processor time and its peak resident memory
// in bytes.
struct process_run {
  seconds wall{};
  seconds processor{};
  double peak_bytes = 0;
  bool ok = false;
};

// The peak is what the process reports on standard output ("peak_kB <n>",
// from its VmHWM): ru_maxrss would start from this program's own size.
process_run run_process(std::vector<std::string> arguments) {
  std::vector<char*> argv;
  for (auto& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  process_run run;
  int output[2];
  if (pipe(output) != 0) return run;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, output[0]);
  const auto start = std::chrono::steady_clock::now();
  pid_t child = 0;
  const int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(output[1]);
  std::string said;
  char buffer[256];
  for (ssize_t got; (got = read(output[0], buffer, sizeof buffer)) > 0;) said.append(buffer, got);
  close(output[0]);
  if (spawned != 0) return run;
  int status = 0;
  rusage usage{};
  if (wait4(child, &status, 0, &usage) != child) return run;
  run.wall = std::chrono::steady_clock::now() - start;
  const auto time_of = [](const timeval& t) {
    return seconds(static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6);
  };
  run.processor = time_of(usage.ru_utime) + time_of(usage.ru_stime);
  if (const auto at = said.find("peak_kB"); at != std::string::npos)
    run.peak_bytes = std::strtod(said.c_str() + at + 7, nullptr) * 1024;
  run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return run;
}

process_run screen_map_process(std::size_t n, const std::string& mode) {
  return run_process({SCREEN_MAP_PROCESS, std::to_string(n), mode});
}

// The first Python on the path with matplotlib and numpy, else the system's;
// empty when neither has them.
const std::string& python_with_matplotlib() {
  static const std::string python = [] {
    for (const std::string candidate : {"python3", "/usr/bin/python3"}) {
      if (run_process({candidate, "-c", "import matplotlib, numpy"}).ok) return candidate;
    }
    return std::string();
  }();
  return python;
}

bool matplotlib_present() {
  return !python_with_matplotlib().empty();
}

// The same values as screen_map_process, shown by imshow with a colour bar
// in a figure of the window's size and saved as a PNG.
process_run matplotlib_process(std::size_t n) {
  const auto png = std::filesystem::temp_directory_path() /
                   ("bench_screen_map_" + std::to_string(::getpid()) + ".png");
  const std::string script =
      "import sys, numpy as np, matplotlib\n"
      "matplotlib.use('Agg')\n"
      "import matplotlib.pyplot as plt\n"
      "n = int(sys.argv[1])\n"
      "i = np.arange(n, dtype=np.int32)\n"
      "z = ((i[:, None] ^ i[None, :]) & 1023).astype(np.float32)\n"
      "fig = plt.figure(figsize=(5.8, 2.7), dpi=100)\n"
      "plt.imshow(z, cmap='gray', origin='lower', interpolation='nearest')\n"
      "plt.colorbar()\n"
      "fig.savefig(sys.argv[2])\n"
      "for line in open('/proc/self/status'):\n"
      "    if line.startswith('VmHWM:'): print('peak_kB', line.split()[1])\n";
  process_run run =
      run_process({python_with_matplotlib(), "-c", script, std::to_string(n), png.string()});
  std::filesystem::remove(png);
  return run;
}

// Each kind of process is run once per size and run of this program; the
// figures are reported by the benchmark of that kind and used as the others'
// baselines.
const process_run& measured(const std::string& kind, std::size_t n) {
  static std::map<std::pair<std::string, std::size_t>, process_run> runs;
  const auto key = std::pair{kind, n};
  if (const auto found = runs.find(key); found != runs.end()) return found->second;
  process_run run = kind == "matplotlib" ? matplotlib_process(n) : screen_map_process(n, kind);
  return runs.emplace(key, run).first->second;
}

void whole_process(benchmark::State& state, const std::string& kind) {
  const auto n = static_cast<std::size_t>(state.range(0));
  if (kind == "matplotlib" && !matplotlib_present()) {
    state.SkipWithError("python3 with matplotlib and numpy is not installed");
    return;
  }
  const process_run& run = measured(kind, n);
  if (!run.ok) {
    state.SkipWithError("the process failed");
    return;
  }
  for (auto _ : state) state.SetIterationTime(run.processor.count());
  const double values_bytes = static_cast<double>(n * n * sizeof(float));
  state.counters["wall_seconds"] = run.wall.count();
  state.counters["peak_MB"] = run.peak_bytes / 1e6;
  state.counters["peak_x_values"] = run.peak_bytes / values_bytes;
  if (kind == "pixels") {
    if (const process_run& cells = measured("cells", n); cells.ok)
      state.counters["x_cell_by_cell"] = run.processor / cells.processor;
    if (matplotlib_present()) {
      if (const process_run& peer = measured("matplotlib", n); peer.ok)
        state.counters["x_matplotlib"] = run.processor / peer.processor;
    }
  }
}

BENCHMARK_CAPTURE(one_picture, cell_by_cell, false)
    ->Arg(121)
    ->Arg(1000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(one_picture, at_pixel_cost, true)
    ->Arg(121)
    ->Arg(1000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// One iteration each: a process is measured once, and the baseline of 10,000
// takes half a minute and gigabytes.
BENCHMARK_CAPTURE(whole_process, cell_by_cell, std::string("cells"))
    ->Arg(1000)
    ->Arg(10000)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(whole_process, values_made_only, std::string("data"))
    ->Arg(1000)
    ->Arg(10000)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(whole_process, matplotlib, std::string("matplotlib"))
    ->Arg(1000)
    ->Arg(10000)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(whole_process, at_pixel_cost, std::string("pixels"))
    ->Arg(1000)
    ->Arg(10000)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
