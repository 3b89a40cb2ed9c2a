#pragma once

#include <atomic>
#include <cstddef>
#include <span>

#include "internal_api.hpp"

// What the explorer needs beyond julia_counts(): progress it can cancel, the
// share of points the extended loop computed, and where zooming must stop.
namespace mapplot {

// A view of the plane: pixel (i, j) starts at cx + ray_x * k / columns with
// k = 2i + 1 - columns, and likewise in y (see julia_counts()).
struct julia_view {
  long double cx, cy;
  long double ray_x, ray_y;  // half-widths
  int limit;
  std::size_t columns, rows;
};

struct julia_view_counts {
  bool finished;          // false: cancelled, and some rows were left unwritten
  double fallback_share;  // of the rows computed, the share of points the extended loop took
};

// julia_counts() for `view`, checking `cancel` before every row and every
// few thousand steps within one: once it is set, the counts not yet computed
// (rows not started, the end of a row) are left as they were, and the call
// returns within a few milliseconds, when every thread has left its row.
// Throws std::invalid_argument as julia_counts() does, before writing anything.
MAPPLOT_INTERNAL_API julia_view_counts julia_counts_of_view(
    const julia_view& view, std::span<float> counts, const std::atomic<bool>* cancel = nullptr);

// Whether neighbouring pixels of the view have distinct starts in long double,
// along both axes. Beyond that a deeper view would show repeated pixels rather
// than what is there.
MAPPLOT_INTERNAL_API bool julia_view_resolvable(const julia_view& view);

// The zoom's iteration limit for a window of half-width `ray`:
// ceil(14 - 10 ln(ray / 2)), as julia_window() computes it, the logarithm in
// double precision (in extended precision for a ray below the doubles' range).
// Throws std::invalid_argument unless ray is positive and finite.
MAPPLOT_INTERNAL_API int julia_zoom_limit(long double ray);

}  // namespace mapplot
