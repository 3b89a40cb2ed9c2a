// The zoom's cost beside its baseline, the plain one-thread computation of
// the 335 grids alone: the grids through each escape path on one thread and
// through julia_grid on all cores, one frame's grid, the program's frame loop
// drawing into a discarding window system and into real Qt canvases (off
// screen), and the whole program run off screen as a user runs it (Qt start,
// 335 frames, PNG saved). The loops report "x_plain_grids", their time as a multiple of
// the baseline's, measured in the same run.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "julia/escape_counts.hpp"
#include "julia_zoom/play_julia_zoom.hpp"
#include "platform/discarding_window_system.hpp"
#include "platform/qt/qt_window_system.hpp"
#include "textout/console_capture.hpp"

extern char** environ;

namespace {

using mapplot::julia_frame;
using seconds = std::chrono::duration<double>;

constexpr std::size_t side = mapplot::julia_grid_side;

// The baseline: the grid computed the straightforward way, one cell after
// another on one thread.
void plain_grid(const julia_frame& f, std::span<float> X, std::span<float> Y, std::span<float> A) {
  for (int p = -60; p <= 60; ++p) {
    X[p + 60] = static_cast<float>(static_cast<long double>(p) * f.ray / 60 + f.cx);
  }
  for (int q = -60; q <= 60; ++q) {
    Y[q + 60] = static_cast<float>(static_cast<long double>(q) * f.ray / 60 + f.cy);
  }
  for (int q = -60; q <= 60; ++q) {
    for (int p = -60; p <= 60; ++p) {
      float& cell = A[(p + 60) + (q + 60) * side];
      cell = 0;
      long double re = static_cast<long double>(p) * f.ray / 60 + f.cx;
      long double im = Y[q + 60];
      for (int n = -2; n <= f.limit + 1; ++n) {
        if (std::sqrt(re * re + im * im) >= 256) break;
        cell = static_cast<float>(n);
        const long double old_re = re;
        re = re * re - im * im;
        im = 2 * old_re * im + 1;
      }
    }
  }
}

void plain_grids_of_the_zoom() {
  std::vector<float> A(side * side), X(side), Y(side);
  for (int k = 1; k <= mapplot::julia_frame_count; ++k) {
    plain_grid(mapplot::julia_window(k), X, Y, A);
    benchmark::DoNotOptimize(A.data());
  }
}

template <class Work>
seconds timed(Work&& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::steady_clock::now() - start;
}

// The baseline's time, the median of five runs, taken once per run of this
// program.
seconds plain_grids_time() {
  static const seconds measured = [] {
    std::vector<seconds> runs;
    for (int run = 0; run < 5; ++run) runs.push_back(timed(plain_grids_of_the_zoom));
    std::sort(runs.begin(), runs.end());
    return runs[runs.size() / 2];
  }();
  return measured;
}

// Times each iteration itself and reports the mean as a multiple of the baseline.
template <class Work>
void measure_against_plain_grids(benchmark::State& state, Work&& work) {
  const seconds baseline = plain_grids_time();
  seconds total{};
  for (auto _ : state) {
    const seconds took = timed(work);
    total += took;
    state.SetIterationTime(took.count());
  }
  state.counters["x_plain_grids"] =
      benchmark::Counter(total / baseline, benchmark::Counter::kAvgIterations);
}

void start_qt_off_screen() {
  static int argc = 1;
  static char name[] = "bench_julia_zoom";
  static char* argv[] = {name, nullptr};
  if (QApplication::instance() == nullptr) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    new QApplication(argc, argv);
  }
}

void grids_alone(benchmark::State& state) {
  measure_against_plain_grids(state, plain_grids_of_the_zoom);
}

// The 335 grids row by row through one escape path, on one thread, with the
// share of points the extended loop had to compute after all.
void grids_one_thread(benchmark::State& state, mapplot::escape_path path) {
  if (!mapplot::escape_path_supported(path)) {
    state.SkipWithError("this processor lacks the instructions");
    return;
  }
  std::vector<float> A(side * side);
  std::size_t recomputed = 0;
  measure_against_plain_grids(state, [&] {
    recomputed = 0;
    for (int k = 1; k <= mapplot::julia_frame_count; ++k) {
      const julia_frame frame = mapplot::julia_window(k);
      const mapplot::julia_row_starts starts = mapplot::julia_starts(frame);
      for (int q = -60; q <= 60; ++q) {
        const float im =
            static_cast<float>(static_cast<long double>(q) * frame.ray / 60 + frame.cy);
        const std::span<float, side> row(A.data() + (q + 60) * side, side);
        recomputed += mapplot::escape_count_row(starts, im, row, path);
      }
      benchmark::DoNotOptimize(A.data());
    }
  });
  state.counters["fallback_share"] =
      static_cast<double>(recomputed) / (mapplot::julia_frame_count * side * side);
}

// The 335 grids through julia_grid, on all cores, nothing drawn.
void grids_all_cores(benchmark::State& state) {
  std::vector<float> A(side * side), X(side), Y(side);
  measure_against_plain_grids(state, [&] {
    for (int k = 1; k <= mapplot::julia_frame_count; ++k) {
      mapplot::julia_grid(mapplot::julia_window(k), X, Y, A);
      benchmark::DoNotOptimize(A.data());
    }
  });
}

using grid_function = mapplot::julia_grid_function;

void one_frame(benchmark::State& state, grid_function grid) {
  const julia_frame frame = mapplot::julia_window(static_cast<int>(state.range(0)));
  std::vector<float> A(side * side), X(side), Y(side);
  for (auto _ : state) {
    grid(frame, X, Y, A);
    benchmark::DoNotOptimize(A.data());
    benchmark::ClobberMemory();
  }
}

// The program's frame loop, drawn into a window system that discards everything.
void whole_zoom_discarded(benchmark::State& state, grid_function grid) {
  mapplot::discarding_window_system windows;
  mapplot::install_window_system(&windows);
  measure_against_plain_grids(state, [grid] {
    mapplot::console_capture console;
    mapplot::play_julia_zoom(grid);
  });
  mapplot::install_window_system(nullptr);
}

// The program's frame loop drawn into the Qt canvases, off screen: every frame
// composed and presented.
void whole_zoom_into_qt_canvases(benchmark::State& state, grid_function grid) {
  start_qt_off_screen();
  measure_against_plain_grids(state, [grid] {
    mapplot::qt_window_system windows(mapplot::display_mode::off_screen);
    mapplot::install_window_system(&windows);
    {
      mapplot::console_capture console;
      mapplot::play_julia_zoom(grid);
    }
    mapplot::install_window_system(nullptr);
  });
}

// julia_zoom itself with no display, in a folder of its own for its PNG.
void whole_program_off_screen(benchmark::State& state) {
  const auto folder =
      std::filesystem::temp_directory_path() / ("bench_julia_zoom_" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  std::vector<std::string> environment{"QT_QPA_PLATFORM=offscreen"};
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string_view variable(*entry);
    if (!variable.starts_with("DISPLAY=") && !variable.starts_with("WAYLAND_DISPLAY=") &&
        !variable.starts_with("QT_QPA_PLATFORM="))
      environment.emplace_back(variable);
  }
  std::vector<char*> environment_pointers;
  for (auto& variable : environment) environment_pointers.push_back(variable.data());
  environment_pointers.push_back(nullptr);
  char program[] = JULIA_ZOOM_PROGRAM;
  char* arguments[] = {program, nullptr};

  bool failed = false;
  measure_against_plain_grids(state, [&] {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    int status = -1;
    if (posix_spawn(&child, program, &actions, nullptr, arguments, environment_pointers.data()) ==
        0) {
      waitpid(child, &status, 0);
    }
    posix_spawn_file_actions_destroy(&actions);
    failed = failed || !WIFEXITED(status) || WEXITSTATUS(status) != 0;
  });
  if (failed) state.SkipWithError("julia_zoom did not run to its end");
  std::filesystem::remove_all(folder);
}

BENCHMARK(grids_alone)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
BENCHMARK_CAPTURE(grids_one_thread, extended, mapplot::escape_path::extended)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(5);
BENCHMARK_CAPTURE(grids_one_thread, avx2, mapplot::escape_path::avx2)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(20);
BENCHMARK_CAPTURE(grids_one_thread, avx512, mapplot::escape_path::avx512)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(20);
BENCHMARK(grids_all_cores)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(20);
BENCHMARK_CAPTURE(one_frame, plain, plain_grid)
    ->Arg(1)
    ->Arg(100)
    ->Arg(200)
    ->Arg(335)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(one_frame, julia_grid, mapplot::julia_grid)
    ->Arg(1)
    ->Arg(100)
    ->Arg(200)
    ->Arg(335)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(whole_zoom_discarded, julia_grid, mapplot::julia_grid)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(5);
BENCHMARK_CAPTURE(whole_zoom_into_qt_canvases, julia_grid, mapplot::julia_grid)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(5);
BENCHMARK(whole_program_off_screen)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

}  // namespace
