#include "julia_raster.hpp"

#include <algorithm>
#include <cmath>
#include <mapplot/julia_zoom.hpp>

namespace mapplot::testing {
namespace {

constexpr int layout_width = 580, layout_height = 270;
constexpr int viewport_left = 4, viewport_top = 4;
constexpr int viewport_right = layout_width - 3, viewport_bottom = layout_height - 3;

// Where each cell begins and ends: the first coordinate, then the midpoints,
// then the last coordinate.
std::vector<double> cell_edges(const std::vector<double>& coordinates) {
  std::vector<double> edges{coordinates.front()};
  for (std::size_t i = 0; i + 1 < coordinates.size(); ++i)
    edges.push_back((coordinates[i] + coordinates[i + 1]) * 0.5);
  edges.push_back(coordinates.back());
  return edges;
}

}  // namespace

std::vector<int> expected_julia_map(int k) {
  constexpr std::size_t side = julia_grid_side;
  std::vector<float> X(side), Y(side), A(side * side);
  julia_grid(julia_window(k), X, Y, A);
  const std::vector<double> x(X.begin(), X.end()), y(Y.begin(), Y.end());

  const auto [x_low, x_high] = std::minmax_element(x.begin(), x.end());
  const auto [y_low, y_high] = std::minmax_element(y.begin(), y.end());
  const auto [z_low, z_high] = std::minmax_element(A.begin(), A.end());
  const double xmin = *x_low, ymin = *y_low, ymax = *y_high;
  // The world window is wider than the data, so that the map is square.
  const double wx2 = xmin + (*x_high - xmin) * (layout_width - 7) / double{layout_height - 7};
  const double zmin = *z_low;
  const double factor = 255 / (static_cast<double>(*z_high) - zmin);

  const auto column = [&](double world) {
    return static_cast<int>(std::lround(viewport_left + (world - xmin) / (wx2 - xmin) *
                                                            (viewport_right - viewport_left)));
  };
  const auto row = [&](double world) {
    return static_cast<int>(std::lround(viewport_bottom - (world - ymin) / (ymax - ymin) *
                                                              (viewport_bottom - viewport_top)));
  };
  const std::vector<double> x_edges = cell_edges(x), y_edges = cell_edges(y);

  constexpr int map_side = map_last_pixel - map_first_pixel + 1;
  std::vector<int> map(map_side * map_side, -1);
  for (std::size_t j = 0; j < side; ++j) {
    const int top = std::min(row(y_edges[j]), row(y_edges[j + 1]));
    const int bottom = std::max(row(y_edges[j]), row(y_edges[j + 1]));
    for (std::size_t i = 0; i < side; ++i) {
      const int left = std::min(column(x_edges[i]), column(x_edges[i + 1]));
      const int right = std::max(column(x_edges[i]), column(x_edges[i + 1]));
      const int grey =
          static_cast<int>(std::lround((static_cast<double>(A[i + j * side]) - zmin) * factor));
      for (int py = std::max(top, map_first_pixel); py <= std::min(bottom, map_last_pixel); ++py) {
        for (int px = std::max(left, map_first_pixel); px <= std::min(right, map_last_pixel); ++px)
          map[(py - map_first_pixel) * map_side + (px - map_first_pixel)] = grey;
      }
    }
  }
  return map;
}

}  // namespace mapplot::testing
