#pragma once

#include <string>

#include "internal_api.hpp"

namespace mapplot {

// Numbers as the readout writes them. A value in the shortest form that reads
// back as the same number of its own type; a position with as many digits as
// tell it from the next pixel's, `pixel_width` away.

MAPPLOT_INTERNAL_API std::string exact_text(float value);
std::string exact_text(double value);

// At least `pixel_width` apart on the plane, two positions never read the same.
MAPPLOT_INTERNAL_API std::string position_text(long double value, long double pixel_width);

}  // namespace mapplot
