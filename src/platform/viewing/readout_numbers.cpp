#include "platform/viewing/readout_numbers.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace mapplot {
namespace {

template <class Number, class... Format>
std::string chars_of(Number value, Format... format) {
  if (std::isnan(value)) return "NaN";
  char text[96];
  const auto result = std::to_chars(text, text + sizeof text, value, format...);
  return std::string(text, result.ptr);
}

}  // namespace

std::string exact_text(float value) {
  return chars_of(value);
}

std::string exact_text(double value) {
  return chars_of(value);
}

std::string position_text(long double value, long double pixel_width) {
  constexpr int most = std::numeric_limits<long double>::max_digits10;
  int digits = 7;
  pixel_width = std::fabs(pixel_width);
  if (std::isfinite(value) && value != 0 && std::isfinite(pixel_width) && pixel_width > 0) {
    // The leading digit's place over the place of a tenth of a pixel: the
    // last digit written then steps by less than a pixel.
    const long double leading = std::floor(std::log10(std::fabs(value)));
    const long double step = std::floor(std::log10(pixel_width)) - 1;
    digits = static_cast<int>(std::clamp(leading - step + 1, 7.0L, static_cast<long double>(most)));
  }
  return chars_of(value, std::chars_format::general, digits);
}

}  // namespace mapplot
