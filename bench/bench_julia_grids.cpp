// The zoom's 335 grids through julia_grid as a user's run pays for them, a
// whole process (start, threads, floating-point environment), beside the
// plain one-thread loop as a whole process, the two alternating in the same
// run; and over the same grids, the share of pixels the extended loop
// computes after all. Each reports its figure beside the limit it must stay
// under: "x_plain" (median process time as a multiple of the plain one's)
// under 0.12, "fallback_share" under 0.01; "over_limit" is 1 where it is not.
// The grids once spent a fifth of their time preparing every row's starts
// again, which "x_plain" shows and "fallback_share" would not.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <mapplot/julia_zoom.hpp>
#include <span>
#include <vector>

#include "julia/escape_counts.hpp"

extern char** environ;

namespace {

using seconds = std::chrono::duration<double>;
constexpr std::size_t side = mapplot::julia_grid_side;
constexpr double x_plain_limit = 0.12;
constexpr double fallback_share_limit = 0.01;

// The child's work: every grid of the zoom, through julia_grid or the plain
// loop; the sum of the counts leaves through the exit status.
int grids_of_the_zoom(bool plain) {
  std::vector<float> A(side * side), X(side), Y(side);
  double sum = 0;
  for (int k = 1; k <= mapplot::julia_frame_count; ++k) {
    const mapplot::julia_frame f = mapplot::julia_window(k);
    if (!plain) {
      mapplot::julia_grid(f, X, Y, A);
    } else {
      for (int q = -60; q <= 60; ++q) {
        const long double im = static_cast<float>(static_cast<long double>(q) * f.ray / 60 + f.cy);
        for (int p = -60; p <= 60; ++p) {
          float& cell = A[(p + 60) + (q + 60) * side];
          cell = 0;
          long double re = static_cast<long double>(p) * f.ray / 60 + f.cx, z_im = im;
          for (int n = -2; n <= f.limit + 1; ++n) {
            if (std::sqrt(re * re + z_im * z_im) >= 256) break;
            cell = static_cast<float>(n);
            const long double old_re = re;
            re = re * re - z_im * z_im;
            z_im = 2 * old_re * z_im + 1;
          }
        }
      }
    }
    for (float count : A) sum += count;
  }
  return sum > 0 ? 0 : 1;
}

// Runs this program again with `mode` and returns its wall time.
seconds child_process(const char* mode, bool& failed) {
  char program[] = "/proc/self/exe";
  char* arguments[] = {program, const_cast<char*>(mode), nullptr};
  const auto start = std::chrono::steady_clock::now();
  pid_t child = 0;
  int status = -1;
  if (posix_spawn(&child, program, nullptr, nullptr, arguments, environ) == 0) {
    waitpid(child, &status, 0);
  }
  failed = failed || !WIFEXITED(status) || WEXITSTATUS(status) != 0;
  return std::chrono::steady_clock::now() - start;
}

seconds median(std::vector<seconds> times) {
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

void zoom_grids_process(benchmark::State& state) {
  std::vector<seconds> grids, plain;
  bool failed = false;
  for (auto _ : state) {
    plain.push_back(child_process("--plain-grids", failed));
    grids.push_back(child_process("--julia-grids", failed));
    state.SetIterationTime(grids.back().count());
  }
  if (failed) {
    state.SkipWithError("a child process failed");
    return;
  }
  const double ratio = median(grids) / median(plain);
  state.counters["x_plain"] = ratio;
  state.counters["x_plain_limit"] = x_plain_limit;
  state.counters["plain_ms"] = median(plain).count() * 1e3;
  state.counters["over_limit"] = ratio > x_plain_limit;
}

void zoom_fallback_share(benchmark::State& state) {
  std::vector<float> A(side * side);
  std::size_t recomputed = 0;
  for (auto _ : state) {
    recomputed = 0;
    for (int k = 1; k <= mapplot::julia_frame_count; ++k) {
      const mapplot::julia_frame frame = mapplot::julia_window(k);
      const mapplot::julia_row_starts starts = mapplot::julia_starts(frame);
      for (int q = -60; q <= 60; ++q) {
        const float im =
            static_cast<float>(static_cast<long double>(q) * frame.ray / 60 + frame.cy);
        const std::span<float, side> row(A.data() + (q + 60) * side, side);
        recomputed += mapplot::escape_count_row(starts, im, row);
      }
      benchmark::DoNotOptimize(A.data());
    }
  }
  const double share = static_cast<double>(recomputed) / (mapplot::julia_frame_count * side * side);
  state.counters["fallback_share"] = share;
  state.counters["fallback_share_limit"] = fallback_share_limit;
  state.counters["over_limit"] = share > fallback_share_limit;
}

BENCHMARK(zoom_grids_process)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(15);
BENCHMARK(zoom_fallback_share)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--plain-grids") == 0) return grids_of_the_zoom(true);
  if (argc == 2 && std::strcmp(argv[1], "--julia-grids") == 0) return grids_of_the_zoom(false);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
