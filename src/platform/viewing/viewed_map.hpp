#pragma once

#include <memory>
#include <optional>
#include <string>

#include "internal_api.hpp"
#include "platform/map_data.hpp"
#include "platform/map_pixels.hpp"
#include "platform/world_transform.hpp"

namespace mapplot {

// The part of the plane a viewport shows, y upwards: x1 at its left edge, x2
// at its right, y1 at its bottom, y2 at its top. Long double, so that deep
// views of a function keep their precision; maps of values are drawn from
// its double-precision form.
struct plane_view {
  long double x1 = 0;
  long double y1 = 0;
  long double x2 = 1;
  long double y2 = 1;
  friend bool operator==(const plane_view&, const plane_view&) = default;
};

// A point of the plane.
struct plane_point {
  long double x;
  long double y;
};

// What the readout says of one pixel: the point under it, and what is drawn
// there (the cell, with its indices, x and y, and its value).
struct map_reading {
  std::string point;  // "x = …   y = …"
  std::string cell;   // empty where nothing is drawn
};

// What a map can answer to the one who examines it. One implementation per
// kind of map: the values kept in the caller's precision (which covers the
// cells of one picture a parallel map's root keeps), and a function of the
// viewport.
class viewed_map {
 public:
  virtual ~viewed_map() = default;

  // What Home shows.
  virtual plane_view whole() const = 0;
  // Why `view` over `viewport` cannot be shown, or an empty string when it
  // can. Zooming and panning stop short of a refused view.
  virtual std::string refusal(const plane_view& view, const pixel_rectangle& viewport) const = 0;
  // Paints `view` over `viewport` into the pixels of `area` in `raster`;
  // pixels the map does not cover keep what they had.
  virtual void paint(const plane_view& view, const pixel_rectangle& viewport,
                     const pixel_rectangle& area, pixel_raster raster) const = 0;
  // The point of the plane under `pixel`, as this map places its pixels.
  virtual plane_point point_at(const plane_view& view, const pixel_rectangle& viewport,
                               pixel_point pixel) const = 0;
  // The readout of `pixel`, with digits enough to tell neighbouring pixels
  // apart and values in the shortest form that reads back exactly.
  virtual map_reading reading_at(const plane_view& view, const pixel_rectangle& viewport,
                                 pixel_point pixel) const = 0;
  // A line the strip shows while the view is zoomed, or an empty string.
  virtual std::string zoomed_note() const { return {}; }
};

// A map of values, kept in the caller's precision, viewed as drawn on
// screen: the cell under a pixel is the last one drawn over it. `whole` is
// the program's view of it, where it was drawn through one; by default the
// range of its coordinates.
MAPPLOT_INTERNAL_API std::unique_ptr<viewed_map> viewed_values(
    std::shared_ptr<const map_data> map, std::optional<plane_view> whole = std::nullopt);

}  // namespace mapplot
