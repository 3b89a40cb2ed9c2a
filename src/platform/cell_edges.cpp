#include "platform/cell_edges.hpp"

namespace mapplot {

cell_edges make_cell_edges(std::span<const double> coordinates) {
  cell_edges edges{std::vector<double>(coordinates.size()), coordinates.front()};
  for (std::size_t i = 0; i + 1 < coordinates.size(); ++i) {
    edges.upper[i] = coordinates[i] * 0.5 + coordinates[i + 1] * 0.5;
  }
  edges.upper.back() = coordinates.back();
  return edges;
}

}  // namespace mapplot
