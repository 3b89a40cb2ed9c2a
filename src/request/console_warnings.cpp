#include "request/console_warnings.hpp"

#include <cmath>

namespace mapplot {
namespace {

std::string counted(std::size_t count, std::string_view singular, std::string_view plural) {
  return std::to_string(count) + " " + std::string(count == 1 ? singular : plural);
}

std::string warning(std::string_view what, std::string_view consequence) {
  std::string line = " Warning: ";
  line += what;
  line += ", ";
  line += consequence;
  return line;
}

}  // namespace

std::string missing_array_warning(std::string_view what, std::string_view consequence) {
  return warning("no " + std::string(what), consequence);
}

std::string too_few_values_warning(std::size_t values, std::size_t nx, std::size_t ny,
                                   std::string_view consequence) {
  return warning(counted(values, "value", "values") + " for a " + std::to_string(nx) + " x " +
                     std::to_string(ny) + " grid",
                 consequence);
}

std::string not_finite_values_warning(std::size_t not_finite, std::size_t total,
                                      std::string_view treatment) {
  return warning(
      std::to_string(not_finite) + " of " + counted(total, "value", "values") + " not finite",
      treatment);
}

template <class T>
coordinate_fault coordinate_fault_of(std::span<const T> coordinates, long double span) {
  for (const T coordinate : coordinates)
    if (!std::isfinite(coordinate)) return coordinate_fault::not_finite;
  if (span == 0 || std::isnan(span)) return coordinate_fault::no_spread;
  if (!std::isfinite(span)) return coordinate_fault::too_wide;
  return coordinate_fault::none;
}
template coordinate_fault coordinate_fault_of(std::span<const float>, long double);
template MAPPLOT_INTERNAL_API coordinate_fault coordinate_fault_of(std::span<const double>,
                                                                   long double);

std::string coordinate_warning(coordinate_fault fault, char axis) {
  const std::string coordinates = std::string("the ") + axis + " coordinates";
  switch (fault) {
    case coordinate_fault::none:
      break;
    case coordinate_fault::not_finite:
      return warning(coordinates + " are not all finite", "map empty");
    case coordinate_fault::no_spread:
      return warning(coordinates + (axis == 'x' ? " span no width" : " span no height"),
                     "map empty");
    case coordinate_fault::too_wide:
      return warning(coordinates + " span more than the number range", "map empty");
  }
  return {};
}

}  // namespace mapplot
