#pragma once

#include <span>

#include "request/map_request.hpp"

namespace mapplot {

// Writes the map request as a plot file through PGPLOT ("Map.ps", device
// "ps" by default): grey-scale image, outline, axes box, wedge and labels.
void postscript_map(std::span<const float> x, std::span<const float> y,
                    std::span<const float> z, const postscript_options& options = {});
void postscript_map(std::span<const double> x, std::span<const double> y,
                    std::span<const double> z, const postscript_options& options = {});
void postscript_map(std::span<const float> x, std::span<const float> y, grid_view<float> z,
                    const postscript_options& options = {});
void postscript_map(std::span<const double> x, std::span<const double> y, grid_view<double> z,
                    const postscript_options& options = {});

}  // namespace mapplot
