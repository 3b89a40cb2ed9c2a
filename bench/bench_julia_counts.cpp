// One explorer view at full resolution (265 x 265 pixels, the smallest
// layout's map square) through julia_counts on all cores, beside its
// baseline, the same pixels counted the plain way on one thread, measured in
// the same run: the windows of frames 1, 150 and 335, and the deepest view
// around the zoom's fixed point that long double can still resolve, and one
// between them where about half the points fall back. Each
// reports "x_plain", its time as a multiple of the baseline's, and
// "fallback_share", the share of points the extended loop computed.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <complex>
#include <map>
#include <mapplot/julia_zoom.hpp>
#include <span>
#include <vector>

#include "julia/julia_view.hpp"

namespace {

using mapplot::julia_view;
using seconds = std::chrono::duration<double>;
constexpr std::size_t pixels = 265;

// The baseline: every pixel's start by the rule and its count by the plain
// loop, one after another.
void plain_view_counts(const julia_view& v, std::span<float> counts) {
  for (std::size_t j = 0; j < v.rows; ++j) {
    const long double y = v.cy + v.ray_y * (2.0L * j + 1 - v.rows) / v.rows;
    for (std::size_t i = 0; i < v.columns; ++i) {
      long double re = v.cx + v.ray_x * (2.0L * i + 1 - v.columns) / v.columns;
      long double im = y;
      float& cell = counts[i + j * v.columns];
      cell = 0;
      for (long long n = -2; n <= static_cast<long long>(v.limit) + 1; ++n) {
        if (std::sqrt(re * re + im * im) >= 256) break;
        cell = static_cast<float>(n);
        const long double old_re = re;
        re = re * re - im * im;
        im = 2 * old_re * im + 1;
      }
    }
  }
}

template <class Work>
seconds timed(Work&& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::steady_clock::now() - start;
}

julia_view frame_view(int k) {
  const mapplot::julia_frame frame = mapplot::julia_window(k);
  return {frame.cx, frame.cy, frame.ray, frame.ray, frame.limit, pixels, pixels};
}

// Shrinks the view around z* by the zoom's factor until long double can no
// longer tell neighbouring pixels apart, and keeps the last one it could.
julia_view deepest_view() {
  const std::complex<long double> fixed_point =
      (1.0L + std::sqrt(std::complex<long double>(1, -4))) / 2.0L;
  julia_view view{fixed_point.real(), fixed_point.imag(), 1.0L, 1.0L, 0, pixels, pixels};
  for (;;) {
    julia_view deeper = view;
    deeper.ray_x = deeper.ray_y = view.ray_x * 0.95L;
    if (!mapplot::julia_view_resolvable(deeper)) break;
    view = deeper;
  }
  view.limit = mapplot::julia_zoom_limit(view.ray_x);
  return view;
}

// The baseline's time for a view, the median of three runs, taken once.
seconds plain_time(const julia_view& view) {
  static std::map<long double, seconds> measured;
  const auto known = measured.find(view.ray_x);
  if (known != measured.end()) return known->second;
  std::vector<float> counts(view.columns * view.rows);
  std::vector<seconds> runs;
  for (int run = 0; run < 3; ++run) {
    runs.push_back(timed([&] { plain_view_counts(view, counts); }));
    benchmark::DoNotOptimize(counts.data());
  }
  std::sort(runs.begin(), runs.end());
  return measured[view.ray_x] = runs[1];
}

void view_counts(benchmark::State& state, const julia_view& view) {
  const seconds baseline = plain_time(view);
  std::vector<float> counts(view.columns * view.rows);
  seconds total{};
  double fallback_share = 0;
  for (auto _ : state) {
    const seconds took =
        timed([&] { fallback_share = mapplot::julia_counts_of_view(view, counts).fallback_share; });
    benchmark::DoNotOptimize(counts.data());
    total += took;
    state.SetIterationTime(took.count());
  }
  state.counters["x_plain"] =
      benchmark::Counter(total / baseline, benchmark::Counter::kAvgIterations);
  state.counters["plain_ms"] = baseline.count() * 1e3;
  state.counters["fallback_share"] = fallback_share;
  state.counters["half_width"] = static_cast<double>(view.ray_x);
  state.counters["limit"] = view.limit;
}

void frame_1(benchmark::State& state) {
  view_counts(state, frame_view(1));
}
void frame_150(benchmark::State& state) {
  view_counts(state, frame_view(150));
}
void frame_335(benchmark::State& state) {
  view_counts(state, frame_view(335));
}
void deepest_resolvable(benchmark::State& state) {
  static const julia_view view = deepest_view();
  view_counts(state, view);
}
// A depth where the double-precision path proves about half of the counts.
void half_width_1e_13(benchmark::State& state) {
  view_counts(state, {0, -1, 1e-13L, 1e-13L, mapplot::julia_zoom_limit(1e-13L), pixels, pixels});
}

BENCHMARK(frame_1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(frame_150)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(frame_335)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(half_width_1e_13)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(deepest_resolvable)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
