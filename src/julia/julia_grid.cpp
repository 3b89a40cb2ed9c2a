#include <cstddef>
#include <mapplot/julia_zoom.hpp>
#include <stdexcept>
#include <string>

#include "julia/escape_counts.hpp"
#include "julia/exact_arithmetic_scope.hpp"
#include "julia/grid_workers.hpp"

namespace mapplot {
namespace {

constexpr std::size_t side = julia_grid_side;
constexpr int half_side = (julia_grid_side - 1) / 2;  // indices run -60 .. 60

void require_length(std::string_view name, std::size_t given, std::size_t needed) {
  if (given < needed) {
    throw std::invalid_argument("julia_grid: " + std::string(name) + " holds " +
                                std::to_string(given) + " values, " + std::to_string(needed) +
                                " are needed");
  }
}

void compute_row(const julia_row_starts& starts, int q, float im, std::span<float> A) {
  const std::size_t first = static_cast<std::size_t>(q + half_side) * side;
  escape_count_row(starts, im, A.subspan(first).first<julia_grid_side>());
}

}  // namespace

void julia_grid(const julia_frame& frame, std::span<float> X, std::span<float> Y,
                std::span<float> A) {
  require_length("X", X.size(), side);
  require_length("Y", Y.size(), side);
  require_length("A", A.size(), side * side);

  const exact_arithmetic_scope exact;
  const julia_row_starts starts = julia_starts(frame);
  for (std::size_t i = 0; i < side; ++i) X[i] = static_cast<float>(starts.starts.re[i]);
  for (int q = -half_side; q <= half_side; ++q) {
    Y[static_cast<std::size_t>(q + half_side)] =
        static_cast<float>(static_cast<long double>(q) * frame.ray / 60.0L + frame.cy);
  }

  // Rows differ a lot in cost near the set, so the workers take the next free
  // row rather than a fixed share.
  grid_workers::shared().run_rows(static_cast<int>(side), [&](int index) {
    compute_row(starts, index - half_side, Y[static_cast<std::size_t>(index)], A);
  });
}

}  // namespace mapplot
