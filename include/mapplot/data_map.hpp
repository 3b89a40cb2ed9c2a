#pragma once

#include <mapplot/map_request.hpp>
#include <span>
#include <string_view>

namespace mapplot {

// Writes the map request as a text data file ("Map.dat" by default).
// Throws std::system_error naming the file when it cannot be written, and
// std::invalid_argument for a blank file name; an earlier file of that name is
// then left untouched.
void data_map(std::span<const float> x, std::span<const float> y, std::span<const float> z,
              const data_options& options = {});
void data_map(std::span<const double> x, std::span<const double> y, std::span<const double> z,
              const data_options& options = {});
void data_map(std::span<const float> x, std::span<const float> y, grid_view<float> z,
              const data_options& options = {});
void data_map(std::span<const double> x, std::span<const double> y, grid_view<double> z,
              const data_options& options = {});

}  // namespace mapplot
