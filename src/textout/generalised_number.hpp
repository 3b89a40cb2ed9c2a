#pragma once

#include <string>

#include "internal_api.hpp"

namespace mapplot {

// The generalised numeric form with `digits` significant digits in a field of
// digits + 6 characters: fixed point in the first digits + 2 characters plus
// four blanks when 0.1 <= |v| < 10^digits after rounding (or v is zero),
// otherwise 0.ddd...E+xx. The result is the whole field, blanks included.
// Infinities and NaN come out as "Infinity", "-Infinity" and "NaN".
// `digits` must lie in [1, 16].
MAPPLOT_INTERNAL_API std::string generalised_number(double value, int digits);

}  // namespace mapplot
