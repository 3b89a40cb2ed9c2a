#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <variant>
#include <vector>

#include "request/logarithm.hpp"

namespace mapplot {

// A map's values in the caller's precision, x index fastest.
template <class T>
using map_values = std::vector<T>;

// A map as the windowing layer keeps it, to draw any view of it: the
// coordinates of its columns and rows, one copy of its values in the caller's
// precision (x index fastest, nx * ny of them, or none when no cell of the
// map reaches a pixel; a map without its values draws nothing) and the range its grey scale
// spans, found in one pass over all the caller's values (over their base-10
// logarithms under a logarithmic scale).
struct map_data {
  std::vector<double> x;
  std::vector<double> y;
  std::variant<map_values<float>, map_values<double>> values;
  double zmin = 0;  // black
  double zmax = 1;  // white; larger than zmin
  bool logscale = false;

  // A map may keep only some cells of a grid: those one picture of it shows,
  // as the root of a parallel map does. Each kept cell then carries its own
  // edges (lower and upper, one per coordinate, in the same order), and a
  // closer view enlarges the kept cells rather than showing the grid's own.
  // Empty: the edges lie halfway between neighbouring coordinates.
  struct kept_cell_edges {
    std::vector<double> lower;
    std::vector<double> upper;
    std::vector<std::size_t> grid_index;  // each kept cell's column (or row) in the grid
  };
  kept_cell_edges x_edges{};
  kept_cell_edges y_edges{};
  bool cells_thinned() const { return !x_edges.lower.empty(); }

  std::size_t column_count() const { return x.size(); }
  std::size_t row_count() const { return y.size(); }
};

// A pixel as the layer's pictures hold it: 0xffRRGGBB.
using argb_pixel = std::uint32_t;

inline constexpr argb_pixel opaque_rgb(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  return 0xff000000u | (argb_pixel{red} << 16) | (argb_pixel{green} << 8) | argb_pixel{blue};
}

// A value whose grey level is NaN shows the map background, so missing data
// stays visible.
inline constexpr argb_pixel map_background_pixel = opaque_rgb(0, 0, 128);

// The linear grey scale from zmin (level 0) to zmax (level 255).
class grey_scale {
 public:
  grey_scale(double zmin, double zmax) {
    const double spread = zmax - zmin;
    halved_ = !std::isfinite(spread);
    // A range wider than the double range is scaled from halves, which keeps
    // the finite values finite instead of turning them into inf * 0 = NaN.
    offset_ = halved_ ? zmin * 0.5 : zmin;
    factor_ = halved_ ? 255 / (zmax * 0.5 - offset_) : 255 / spread;
  }

  double level(double value) const {
    return halved_ ? (value * 0.5 - offset_) * factor_ : (value - offset_) * factor_;
  }

 private:
  bool halved_;
  double offset_;
  double factor_;
};

// The pixel of grey level `level`: the nearest integer, halves away from
// zero, as a grey; -inf black, +inf white, NaN the map background.
inline argb_pixel grey_pixel(double level) {
  if (std::isnan(level)) return map_background_pixel;
  const auto grey = static_cast<std::uint8_t>(std::round(std::clamp(level, 0.0, 255.0)));
  return opaque_rgb(grey, grey, grey);
}

// What the scale measures of a value: the value, or its logarithm taken as the
// double-precision values' logarithm (a single value is widened exactly first).
inline double scaled_quantity(double value, bool logscale) {
  return logscale ? extended_log10(value) : value;
}

// The caller's value of cell (column, row), widened exactly; both in range.
// NaN for a map that keeps no values.
inline double map_value(const map_data& map, std::size_t column, std::size_t row) {
  const std::size_t k = column + row * map.column_count();
  return std::visit(
      [k](const auto& values) {
        return k < values.size() ? static_cast<double>(values[k])
                                 : std::numeric_limits<double>::quiet_NaN();
      },
      map.values);
}

}  // namespace mapplot
