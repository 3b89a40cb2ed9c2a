#pragma once

// Maps filled cell by cell, the way they used to be drawn, worked out from the
// data alone with its own edges, pixel rounding, scale and colours: what a
// map drawn at the cost of its pixels must equal.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

#include "platform/world_transform.hpp"

namespace mapplot::testing {

using argb_pixel = std::uint32_t;

// The picture every cell filled in order gives: rows outer, columns inner,
// corners inclusive, each cell clipped to `clip` and the raster.
struct reference_raster {
  int width;
  int height;
  std::vector<argb_pixel> pixels;
  std::vector<long long> cells;  // the value index each pixel shows, -1 where none

  reference_raster(int w, int h, argb_pixel fill)
      : width(w), height(h), pixels(w * h, fill), cells(w * h, -1) {}

  template <class Value>
  void fill_cells(const std::vector<double>& x, const std::vector<double>& y,
                  const std::vector<Value>& z, bool logscale, const pixel_rectangle& viewport,
                  const world_window& world, const pixel_rectangle& clip) {
    // Levels from the range of every finite value (logarithm).
    std::vector<double> quantities;
    for (const Value value : z) {
      const double widened = value;
      quantities.push_back(
          logscale ? static_cast<double>(std::log10(static_cast<long double>(widened))) : widened);
    }
    constexpr double inf = std::numeric_limits<double>::infinity();
    double low = inf, high = -inf;
    for (const double quantity : quantities) {
      if (!std::isfinite(quantity)) continue;
      low = std::min(low, quantity);
      high = std::max(high, quantity);
    }
    ASSERT_LT(low, high);
    const auto level = [&](double quantity) {
      if (std::isfinite(high - low)) return (quantity - low) * (255 / (high - low));
      return (quantity * 0.5 - low * 0.5) * (255 / (high * 0.5 - low * 0.5));
    };
    const auto color = [&](double quantity) -> argb_pixel {
      const double grey = level(quantity);
      if (std::isnan(grey)) return 0xff000080u;
      const auto g = static_cast<argb_pixel>(std::round(std::clamp(grey, 0.0, 255.0)));
      return 0xff000000u | g << 16 | g << 8 | g;
    };
    const auto to_pixel = [](double value, double from, double to, double start, double length,
                             bool reversed) -> std::optional<int> {
      const double fraction = (value - from) / (to - from);
      if (!std::isfinite(value) || !std::isfinite(to - from) || to == from ||
          !std::isfinite(fraction))
        return std::nullopt;
      const double pixel = reversed ? start - fraction * length : start + fraction * length;
      return static_cast<int>(std::lround(std::clamp(pixel, -1e9, 1e9)));
    };
    const auto edges = [](const std::vector<double>& c) {
      std::vector<double> e{c.front()};
      for (std::size_t i = 0; i + 1 < c.size(); ++i) e.push_back(c[i] * 0.5 + c[i + 1] * 0.5);
      e.push_back(c.back());
      return e;
    };
    const std::vector<double> xe = edges(x), ye = edges(y);
    const double across = viewport.right - viewport.left, down = viewport.bottom - viewport.top;
    for (std::size_t j = 0; j < y.size(); ++j) {
      const auto r1 = to_pixel(ye[j], world.y1, world.y2, viewport.bottom, down, true);
      const auto r2 = to_pixel(ye[j + 1], world.y1, world.y2, viewport.bottom, down, true);
      for (std::size_t i = 0; i < x.size(); ++i) {
        const auto c1 = to_pixel(xe[i], world.x1, world.x2, viewport.left, across, false);
        const auto c2 = to_pixel(xe[i + 1], world.x1, world.x2, viewport.left, across, false);
        if (!r1 || !r2 || !c1 || !c2) continue;
        const argb_pixel pixel = color(quantities[i + j * x.size()]);
        const int top = std::max({std::min(*r1, *r2), clip.top, 0});
        const int bottom = std::min({std::max(*r1, *r2), clip.bottom, height - 1});
        const int left = std::max({std::min(*c1, *c2), clip.left, 0});
        const int right = std::min({std::max(*c1, *c2), clip.right, width - 1});
        for (int row = top; row <= bottom; ++row)
          for (int column = left; column <= right; ++column) {
            pixels[row * width + column] = pixel;
            cells[row * width + column] = static_cast<long long>(i + j * x.size());
          }
      }
    }
  }
};

}  // namespace mapplot::testing
