#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "internal_api.hpp"

namespace mapplot {

// The console lines the three outputs write about unusual input. They share
// one form, that of the documented " Warning: incompatible array sizes !!!":
// a text item that starts with a blank, so the line shows two, then
// "Warning: ", what is wrong, a comma and what the output does about it.

inline constexpr std::string_view incompatible_sizes_warning =
    " Warning: incompatible array sizes !!!";
inline constexpr std::string_view flat_array_warning = " Array is flat!";

// " Warning: no x coordinates, nothing drawn"; `what` names the array
// ("x coordinates", "values").
MAPPLOT_INTERNAL_API std::string missing_array_warning(std::string_view what,
                                                       std::string_view consequence);

// " Warning: 2 values for a 3 x 2 grid, nothing drawn"
MAPPLOT_INTERNAL_API std::string too_few_values_warning(std::size_t values, std::size_t nx,
                                                        std::size_t ny,
                                                        std::string_view consequence);

// " Warning: 1 of 4 values not finite, NaN shown blue, -inf black, +inf white"
MAPPLOT_INTERNAL_API std::string not_finite_values_warning(std::size_t not_finite,
                                                           std::size_t total,
                                                           std::string_view treatment);

// Why an axis's coordinates cannot place a map.
enum class coordinate_fault {
  none,
  not_finite,  // a NaN or an infinity among them
  no_spread,   // the map would be no wider (or higher) than a point
  too_wide,    // the span exceeds the range of the output's numbers
};

// Not finite first, then no spread, then too wide; `span` is the distance
// the output would cover along the axis, worked out in its own precision.
// Made for float and double in console_warnings.cpp.
template <class T>
coordinate_fault coordinate_fault_of(std::span<const T> coordinates, long double span);

// " Warning: the x coordinates span no width, map empty"; `axis` is 'x' or 'y'.
MAPPLOT_INTERNAL_API std::string coordinate_warning(coordinate_fault fault, char axis);

}  // namespace mapplot
