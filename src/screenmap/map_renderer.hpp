#pragma once

#include <functional>
#include <mapplot/map_request.hpp>
#include <memory>
#include <span>
#include <vector>

#include "internal_api.hpp"
#include "platform/map_data.hpp"
#include "platform/world_transform.hpp"
#include "request/console_warnings.hpp"
#include "request/value_range.hpp"
#include "screenmap/map_layout.hpp"

namespace mapplot {

// Draws the map request through the installed window system: x, y and the
// values flat (x index fastest) in the caller's precision, only read. The
// layer receives the map as one object holding one copy of its values.
template <class Value>
void render_screen_map(std::span<const Value> x, std::span<const Value> y, std::span<const Value> z,
                       const screen_options& options);

extern template void render_screen_map(std::span<const float>, std::span<const float>,
                                       std::span<const float>, const screen_options&);
extern template void render_screen_map(std::span<const double>, std::span<const double>,
                                       std::span<const double>, const screen_options&);

// Where a map lands in its layout: the coordinates' ranges, the world window
// the map is drawn through and why an axis shows nothing. Worked out from the
// coordinates alone, so that every process drawing part of a map finds the
// same.
struct map_placement {
  value_range x_range;
  value_range y_range;
  double wx2;  // the world's right edge: the map is square, the layout is not
  coordinate_fault x_fault;
  coordinate_fault y_fault;
  pixel_rectangle viewport;
  world_window world;

  // Cells over coordinates that are not finite are left out whole.
  bool cells_drawn() const {
    return x_fault != coordinate_fault::not_finite && y_fault != coordinate_fault::not_finite;
  }
};
MAPPLOT_INTERNAL_API map_placement place_map(std::span<const double> x, std::span<const double> y,
                                             const map_layout& layout);
MAPPLOT_INTERNAL_API map_layout layout_of(const screen_options& options);

// What the renderer draws a map from, whoever holds the values: the
// coordinates widened to double, how many values there are, their scale's
// range, and the map the window keeps, made only once it is certain to be
// drawn.
struct screen_map_source {
  std::vector<double> x;
  std::vector<double> y;
  std::size_t value_count;
  std::function<value_range()> scale_range;
  std::function<std::shared_ptr<const map_data>(std::vector<double> x, std::vector<double> y,
                                                const value_range& range,
                                                const map_placement& placement)>
      kept_map;
};

// Whether a map with this placement and range draws its cells: the renderer
// asks for the kept map exactly then.
MAPPLOT_INTERNAL_API bool draws_cells(const map_placement& placement, const value_range& range);

// The renderer behind every overload: windows, frame, warnings, legend.
MAPPLOT_INTERNAL_API void render_screen_map(screen_map_source source,
                                            const screen_options& options);

}  // namespace mapplot
