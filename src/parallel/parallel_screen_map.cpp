// The screen map of a grid split across ranks: every rank works out, from the
// gathered coordinates, which cell each pixel of the picture shows; each
// sends the values of the shown cells it holds, and the root draws the map
// from those alone.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <mapplot/parallel_map.hpp>
#include <mapplot/screen_map.hpp>
#include <memory>
#include <vector>

#include "parallel/block_description.hpp"
#include "parallel/global_coordinates.hpp"
#include "platform/cancellation.hpp"
#include "platform/cell_edges.hpp"
#include "platform/map_pixels.hpp"
#include "platform/window_system.hpp"
#include "request/grid_size.hpp"
#include "screenmap/map_renderer.hpp"
#include "screenmap/map_values.hpp"

namespace mapplot::parallel {
namespace {

constexpr std::uint64_t no_zero = std::numeric_limits<std::uint64_t>::max();

std::uint64_t digest_of(const screen_options& options) {
  options_digest digest;
  digest.add_common_options(options)
      .add_optional(options.winsize)
      .add_optional(options.ownwindow)
      .add_optional(options.update);
  return digest.value();
}

// Where the block's first zero stands in the global grid's order, its sign
// in the lowest bit; no_zero without one. Equal extremes are the first met
// in that order, and only +0 and -0 can be equal and differ.
template <class T>
std::uint64_t first_zero_of(const grid_block<T>& block, std::size_t nx) {
  const std::span<const T> values = block_values(block);
  const auto zero = std::find(values.begin(), values.end(), T{0});
  if (zero == values.end()) return no_zero;
  const auto index = static_cast<std::size_t>(zero - values.begin());
  const std::size_t column = block.first_x + index % block.z.nx;
  const std::size_t row = block.first_y + index / block.z.nx;
  return (static_cast<std::uint64_t>(row) * nx + column) * 2 + (std::signbit(*zero) ? 1 : 0);
}

// The scale's range over every rank's values, as one pass over the
// assembled grid would find it.
template <class T>
value_range reduce_scale_range(MPI_Comm comm, const agreed_call& call, const grid_block<T>& block,
                               bool logscale) {
  const block_shape& own = call.blocks[static_cast<std::size_t>(call.rank)];
  value_range local{HUGE_VAL, -HUGE_VAL, 0, 0};
  if (own.holds_cells()) {
    local = scale_range(block_values(block), logscale);
    if (local.finite_count == 0) local.min = HUGE_VAL, local.max = -HUGE_VAL;
  }
  const double extremes[2] = {local.min, -local.max};
  double reduced[2];
  MPI_Allreduce(extremes, reduced, 2, MPI_DOUBLE, MPI_MIN, comm);
  const std::uint64_t counts[2] = {local.finite_count, local.total_count};
  std::uint64_t totals[2];
  MPI_Allreduce(counts, totals, 2, MPI_UINT64_T, MPI_SUM, comm);

  value_range range{reduced[0], -reduced[1], totals[0], totals[1]};
  if (range.finite_count == 0) {
    range.min = range.max = std::numeric_limits<double>::quiet_NaN();
    return range;
  }
  if (!logscale && (range.min == 0 || range.max == 0)) {
    const std::uint64_t mine = own.holds_cells() && (local.min == 0 || local.max == 0)
                                   ? first_zero_of(block, call.nx)
                                   : no_zero;
    std::uint64_t first = no_zero;
    MPI_Allreduce(&mine, &first, 1, MPI_UINT64_T, MPI_MIN, comm);
    const double zero = (first & 1) != 0 ? -0.0 : 0.0;
    if (range.min == 0) range.min = zero;
    if (range.max == 0) range.max = zero;
  }
  return range;
}

// The cells one picture shows: the distinct columns and rows under its
// pixels, in increasing order.
struct shown_cells {
  std::vector<std::size_t> columns;
  std::vector<std::size_t> rows;
};

std::vector<std::size_t> distinct(std::vector<std::size_t> cells) {
  std::erase(cells, no_cell);
  std::sort(cells.begin(), cells.end());
  cells.erase(std::unique(cells.begin(), cells.end()), cells.end());
  return cells;
}

// The part of `shown` inside first .. first + count - 1, as positions in it.
std::pair<std::size_t, std::size_t> shown_within(const std::vector<std::size_t>& shown,
                                                 std::size_t first, std::size_t count) {
  const auto begin = std::lower_bound(shown.begin(), shown.end(), first);
  const auto end = std::lower_bound(begin, shown.end(), first + count);
  return {static_cast<std::size_t>(begin - shown.begin()),
          static_cast<std::size_t>(end - shown.begin())};
}

// The values of the shown cells this rank holds, rows outer.
template <class T>
std::vector<T> shown_values_of(const grid_block<T>& block, const shown_cells& shown) {
  const auto [column_begin, column_end] =
      shown_within(shown.columns, block.first_x, block.x.size());
  const auto [row_begin, row_end] = shown_within(shown.rows, block.first_y, block.y.size());
  std::vector<T> values;
  values.reserve((column_end - column_begin) * (row_end - row_begin));
  for (std::size_t r = row_begin; r < row_end; ++r) {
    const std::size_t row = shown.rows[r] - block.first_y;
    for (std::size_t c = column_begin; c < column_end; ++c)
      values.push_back(block.z.data[shown.columns[c] - block.first_x + row * block.z.nx]);
  }
  return values;
}

// Gathers every rank's shown values on the root, in the kept map's order
// (shown columns fastest). Empty elsewhere.
template <class T>
std::vector<T> gather_shown_values(MPI_Comm comm, const agreed_call& call,
                                   const grid_block<T>& block, const shown_cells& shown) {
  const std::vector<T> mine = shown_values_of(block, shown);
  const bool root = call.rank == 0;
  std::vector<int> counts(root ? call.blocks.size() : 0);
  std::vector<int> offsets(counts.size());
  std::size_t total = 0;
  for (std::size_t rank = 0; rank < counts.size(); ++rank) {
    const block_shape& b = call.blocks[rank];
    const auto [cb, ce] = shown_within(shown.columns, b.first_x, b.columns);
    const auto [rb, re] = shown_within(shown.rows, b.first_y, b.rows);
    counts[rank] = b.holds_cells() ? static_cast<int>((ce - cb) * (re - rb)) : 0;
    offsets[rank] = static_cast<int>(total);
    total += static_cast<std::size_t>(counts[rank]);
  }
  std::vector<T> received(total);
  MPI_Gatherv(mine.data(), static_cast<int>(mine.size()), mpi_type_of<T>(), received.data(),
              counts.data(), offsets.data(), mpi_type_of<T>(), 0, comm);
  if (!root) return {};

  std::vector<T> values(shown.columns.size() * shown.rows.size());
  for (std::size_t rank = 0; rank < counts.size(); ++rank) {
    const block_shape& b = call.blocks[rank];
    if (!b.holds_cells()) continue;
    const auto [cb, ce] = shown_within(shown.columns, b.first_x, b.columns);
    const auto [rb, re] = shown_within(shown.rows, b.first_y, b.rows);
    const T* from = received.data() + offsets[rank];
    for (std::size_t r = rb; r < re; ++r)
      for (std::size_t c = cb; c < ce; ++c) values[c + r * shown.columns.size()] = *from++;
  }
  return values;
}

bool strictly_monotonic(std::span<const double> coordinates) {
  bool increasing = true, decreasing = true;
  for (std::size_t i = 0; i + 1 < coordinates.size(); ++i) {
    increasing = increasing && coordinates[i] < coordinates[i + 1];
    decreasing = decreasing && coordinates[i] > coordinates[i + 1];
  }
  return increasing || decreasing;
}

// The edges of the kept cells along one direction. Over ordered coordinates
// each kept cell reaches down to the previous kept one (the first to the
// grid's start, the last to its end), so that a closer view shows no gaps
// where the hidden cells were: at the picture's own view every pixel still
// shows the same cell, since the cells it gains had no pixel of their own.
map_data::kept_cell_edges kept_edges(std::span<const double> coordinates,
                                     const std::vector<std::size_t>& kept, bool widened) {
  const cell_edges edges = make_cell_edges(coordinates);
  map_data::kept_cell_edges result;
  for (std::size_t k = 0; k < kept.size(); ++k) {
    const std::size_t cell = kept[k];
    const bool first = k == 0, last = k + 1 == kept.size();
    result.lower.push_back(widened ? (first ? edges.first : edges.upper[kept[k - 1]])
                                   : edges.lower(cell));
    result.upper.push_back(widened && last ? edges.upper.back() : edges.upper[cell]);
  }
  return result;
}

// The root's kept map: the shown cells and their values, with edges that
// show at the picture's view exactly the cells the whole grid shows there.
template <class T>
std::shared_ptr<const map_data> thinned_map(const std::vector<double>& x,
                                            const std::vector<double>& y, const shown_cells& shown,
                                            std::vector<T> values, const value_range& range,
                                            bool logscale, const map_placement& placement,
                                            const cells_under_pixels& whole_grid) {
  auto map = std::make_shared<map_data>();
  for (const std::size_t column : shown.columns) map->x.push_back(x[column]);
  for (const std::size_t row : shown.rows) map->y.push_back(y[row]);
  map->values = map_values<T>(std::move(values));
  map->zmin = range.min;
  map->zmax = range.max;
  map->logscale = logscale;
  const auto same_pixels = [&](const map_data& candidate) {
    const cells_under_pixels thinned =
        find_cells_under_pixels(candidate, placement.viewport, placement.world, placement.viewport);
    const auto same = [](const std::vector<std::size_t>& kept_cells,
                         const std::vector<std::size_t>& grid_cells,
                         const std::vector<std::size_t>& kept) {
      if (kept_cells.size() != grid_cells.size()) return false;
      for (std::size_t i = 0; i < kept_cells.size(); ++i) {
        const std::size_t expected = grid_cells[i];
        if ((expected == no_cell) != (kept_cells[i] == no_cell)) return false;
        if (expected != no_cell && kept[kept_cells[i]] != expected) return false;
      }
      return true;
    };
    return same(thinned.columns, whole_grid.columns, shown.columns) &&
           same(thinned.rows, whole_grid.rows, shown.rows);
  };
  map->x_edges = kept_edges(x, shown.columns, strictly_monotonic(x));
  map->y_edges = kept_edges(y, shown.rows, strictly_monotonic(y));
  // The cells' own edges always give the picture's pixels; widened ones are
  // kept only where they are seen to give them too.
  if (!same_pixels(*map)) {
    map->x_edges = kept_edges(x, shown.columns, false);
    map->y_edges = kept_edges(y, shown.rows, false);
  }
  map->x_edges.grid_index = shown.columns;
  map->y_edges.grid_index = shown.rows;
  return map;
}

template <class T>
void collective_screen_map(MPI_Comm comm, const grid_block<T>& block,
                           const screen_options& options) {
  call_description description = describe(call_kind::screen_map, block, digest_of(options));
  int rank = 0;
  MPI_Comm_rank(comm, &rank);
  if (rank == 0) {
    description.root_cancelled = cancellation_requested();
    description.root_has_console = current_window_system().has_console();
  }
  description.waits_for_enter = !options.ownwindow.value_or(false);
  const agreed_call call = agree_on_call(comm, description, "screen_map");
  if (call.size == 1) {
    mapplot::screen_map(block.x, block.y, block.z, options);
    return;
  }
  checked_cell_count(call.nx, call.ny, sizeof(T));

  const global_coordinates<T> coordinates = gather_coordinates(comm, call, block, "screen_map");
  std::vector<double> x(coordinates.x.begin(), coordinates.x.end());
  std::vector<double> y(coordinates.y.begin(), coordinates.y.end());
  const bool logscale = options.logscale.value_or(false);
  const value_range range = reduce_scale_range(comm, call, block, logscale);

  // Every rank finds the same placement and the same pixels; only the root
  // draws.
  const map_placement placement = place_map(x, y, layout_of(options));
  std::shared_ptr<const map_data> kept;
  if (call.nx != 0 && call.ny != 0 && draws_cells(placement, range)) {
    const cells_under_pixels cells =
        find_cells_under_pixels(x, y, placement.viewport, placement.world, placement.viewport);
    const shown_cells shown{distinct(cells.columns), distinct(cells.rows)};
    std::vector<T> values = gather_shown_values(comm, call, block, shown);
    if (call.rank == 0)
      kept = thinned_map(x, y, shown, std::move(values), range, logscale, placement, cells);
  }
  if (call.rank != 0) return;

  render_screen_map({.x = std::move(x),
                     .y = std::move(y),
                     .value_count = call.nx * call.ny,
                     .scale_range = [&] { return range; },
                     .kept_map = [&](std::vector<double>, std::vector<double>, const value_range&,
                                     const map_placement&) { return kept; }},
                    options);
}

}  // namespace

void screen_map(MPI_Comm comm, const grid_block<float>& block, const screen_options& options) {
  collective_screen_map(comm, block, options);
}

void screen_map(MPI_Comm comm, const grid_block<double>& block, const screen_options& options) {
  collective_screen_map(comm, block, options);
}

}  // namespace mapplot::parallel
