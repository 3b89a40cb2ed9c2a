#include <algorithm>
#include <atomic>
#include <cfloat>
#include <climits>
#include <cmath>
#include <mapplot/julia_zoom.hpp>
#include <stdexcept>
#include <stop_token>
#include <string>
#include <utility>
#include <vector>

#include "julia/escape_counts.hpp"
#include "julia/exact_arithmetic_scope.hpp"
#include "julia/grid_workers.hpp"
#include "julia/julia_view.hpp"

namespace mapplot {
namespace {

// The start of pixel `index` of `count` along one axis, in the documented
// order: k and count converted exactly (k fits 64 bits, as index < count and
// a span holds fewer than 2^62 values), the product, the quotient, the sum.
long double pixel_start(long double centre, long double ray, std::size_t index, std::size_t count) {
  const long long k = 2 * static_cast<long long>(index) + 1 - static_cast<long long>(count);
  return centre + ray * static_cast<long double>(k) / static_cast<long double>(count);
}

std::size_t checked_pixels(const julia_view& view, std::size_t available) {
  std::size_t pixels = 0;
  if (__builtin_mul_overflow(view.columns, view.rows, &pixels)) {
    throw std::invalid_argument("julia_counts: " + std::to_string(view.columns) + " x " +
                                std::to_string(view.rows) + " pixels overflow");
  }
  if (available < pixels) {
    throw std::invalid_argument("julia_counts: counts holds " + std::to_string(available) +
                                " values, " + std::to_string(pixels) + " are needed");
  }
  return pixels;
}

void check_view(const julia_view& view) {
  if (view.limit > julia_counts_largest_limit) {
    throw std::invalid_argument("julia_counts: the limit " + std::to_string(view.limit) +
                                " is above " + std::to_string(julia_counts_largest_limit) +
                                ", the largest whose counts a float holds exactly");
  }
  for (const long double value : {view.cx, view.cy, view.ray_x, view.ray_y}) {
    if (!std::isfinite(value)) {
      throw std::invalid_argument("julia_counts: the centre and the half-widths must be finite");
    }
  }
}

}  // namespace

julia_view_counts julia_counts_of_view(const julia_view& view, std::span<float> counts,
                                       const std::atomic<bool>* cancel) {
  check_view(view);
  const std::size_t pixels = checked_pixels(view, counts.size());
  if (pixels == 0) return {true, 0.0};

  const exact_arithmetic_scope exact;
  std::vector<long double> starts_x(view.columns);
  for (std::size_t i = 0; i < view.columns; ++i) {
    starts_x[i] = pixel_start(view.cx, view.ray_x, i, view.columns);
  }
  const escape_row_starts starts = prepare_row_starts(std::move(starts_x));
  const long long last_step = static_cast<long long>(view.limit) + 1;

  // Deep views where the double-precision path proves no count at all would
  // pay for every attempt on top of the extended loop. So a row tries it only
  // while the last row that tried proved some count; every 16th row tries
  // anyway, to notice when the view's depth allows again.
  // The counts are the same either way: the extended loop is the reference.
  const escape_path fastest = fastest_escape_path();
  std::atomic<bool> double_path_pays{true};
  std::atomic<std::size_t> recomputed{0}, rows_done{0};
  const auto compute_row = [&](std::size_t j) {
    if (cancel != nullptr && cancel->load(std::memory_order_relaxed)) return;
    const long double y = pixel_start(view.cy, view.ray_y, j, view.rows);
    const bool attempt = j % 16 == 0 || double_path_pays.load(std::memory_order_relaxed);
    const std::span<float> row = counts.subspan(j * view.columns, view.columns);
    const bool double_path = attempt && fastest != escape_path::extended;
    const row_outcome outcome = escape_counts_of_row(
        starts, y, last_step, row, double_path ? fastest : escape_path::extended, cancel);
    if (!outcome.finished) return;
    if (double_path) {
      double_path_pays.store(outcome.recomputed < view.columns, std::memory_order_relaxed);
      recomputed += outcome.recomputed;
    } else if (fastest != escape_path::extended) {
      recomputed += view.columns;
    }
    ++rows_done;
  };
  // The workers count rows in int; a taller view goes in blocks.
  constexpr std::size_t block = std::size_t{1} << 30;
  for (std::size_t first = 0; first < view.rows; first += block) {
    const std::size_t block_rows = std::min(block, view.rows - first);
    grid_workers::shared().run_rows(static_cast<int>(block_rows), [&](int index) {
      compute_row(first + static_cast<std::size_t>(index));
    });
  }

  const std::size_t computed = rows_done * view.columns;
  return {rows_done == view.rows,
          computed == 0 ? 0.0 : static_cast<double>(recomputed) / static_cast<double>(computed)};
}

void julia_counts(long double cx, long double cy, long double ray_x, long double ray_y, int limit,
                  std::size_t columns, std::size_t rows, std::span<float> counts) {
  julia_counts_of_view({cx, cy, ray_x, ray_y, limit, columns, rows}, counts);
}

bool julia_counts(long double cx, long double cy, long double ray_x, long double ray_y, int limit,
                  std::size_t columns, std::size_t rows, std::span<float> counts,
                  std::stop_token stop) {
  std::atomic<bool> cancel{false};
  const std::stop_callback on_stop(stop, [&cancel] { cancel = true; });
  return julia_counts_of_view({cx, cy, ray_x, ray_y, limit, columns, rows}, counts, &cancel)
      .finished;
}

bool julia_view_resolvable(const julia_view& view) {
  const exact_arithmetic_scope exact;
  const auto distinct_neighbours = [](long double centre, long double ray, std::size_t count) {
    long double previous = pixel_start(centre, ray, 0, count);
    for (std::size_t i = 1; i < count; ++i) {
      const long double start = pixel_start(centre, ray, i, count);
      if (!(start != previous) || std::isnan(start)) return false;
      previous = start;
    }
    return true;
  };
  return distinct_neighbours(view.cx, view.ray_x, view.columns) &&
         distinct_neighbours(view.cy, view.ray_y, view.rows);
}

int julia_zoom_limit(long double ray) {
  if (!(ray > 0) || !std::isfinite(ray)) {
    throw std::invalid_argument("julia_zoom_limit: the half-width must be positive and finite");
  }
  const exact_arithmetic_scope exact;
  const long double half = ray / 2;
  const long double log_half =
      half >= DBL_MIN && half <= DBL_MAX ? std::log(static_cast<double>(half)) : std::log(half);
  return static_cast<int>(std::ceil(14.0L - 10.0L * log_half));
}

}  // namespace mapplot
