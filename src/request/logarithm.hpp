#pragma once

#include <cmath>

namespace mapplot {

// Base-10 logarithms for the logarithmic scale, taken in extended precision
// and rounded once to the caller's precision. Zero gives -inf, negative values
// NaN.
inline float extended_log10(float value) {
  return static_cast<float>(std::log10(static_cast<long double>(value)));
}
inline double extended_log10(double value) {
  return static_cast<double>(std::log10(static_cast<long double>(value)));
}

}  // namespace mapplot
