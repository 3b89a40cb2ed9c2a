#pragma once

#include <mapplot/map_request.hpp>
#include <span>

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

}  // namespace mapplot
