#pragma once

#include <memory>
#include <span>
#include <vector>

#include "internal_api.hpp"
#include "platform/map_data.hpp"
#include "request/value_range.hpp"

namespace mapplot {

// The range a map's grey scale spans, in one pass over all the values: their
// finite range, or under a logarithmic scale the finite range of their
// base-10 logarithms (taken of the values widened to double).
template <class Value>
value_range scale_range(std::span<const Value> values, bool logscale);

// The map the layer keeps: the coordinates, and the first x.size() * y.size()
// values copied once in their own precision. `values` holds at least that
// many, or none for a map that draws nothing (which then costs no copy);
// `range` has a spread.
template <class Value>
std::shared_ptr<const map_data> make_map_data(std::vector<double> x, std::vector<double> y,
                                              std::span<const Value> values,
                                              const value_range& range, bool logscale);

extern template MAPPLOT_INTERNAL_API value_range scale_range(std::span<const float>, bool);
extern template MAPPLOT_INTERNAL_API value_range scale_range(std::span<const double>, bool);
extern template std::shared_ptr<const map_data> make_map_data(std::vector<double>,
                                                              std::vector<double>,
                                                              std::span<const float>,
                                                              const value_range&, bool);
extern template std::shared_ptr<const map_data> make_map_data(std::vector<double>,
                                                              std::vector<double>,
                                                              std::span<const double>,
                                                              const value_range&, bool);

}  // namespace mapplot
