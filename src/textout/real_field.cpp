#include "textout/real_field.hpp"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace mapplot {
namespace {

void right_justify(char* out, std::size_t width, const char* text, std::size_t length) {
  std::memset(out, ' ', width - length);
  std::memcpy(out + (width - length), text, length);
}

void write_non_finite(char* out, float value) {
  const char* text = std::isnan(value) ? "NaN" : (value < 0 ? "-Infinity" : "Infinity");
  right_justify(out, real_field_width, text, std::strlen(text));
}

}  // namespace

void write_real_field(char* out, float value) {
  if (!std::isfinite(value)) {
    write_non_finite(out, value);
    return;
  }
  // snprintf rounds exactly; the decimal exponent after rounding to 7
  // significant digits decides between the two notations.
  char text[32];
  const double exact = value;
  int length = std::snprintf(text, sizeof text, "%.6E", exact);
  const int exponent = std::atoi(std::strchr(text, 'E') + 1);
  if (value != 0 && exponent >= -1 && exponent <= 6) {
    const int decimals = exponent >= 0 ? 6 - exponent : 7;
    length = std::snprintf(text, sizeof text, "%.*f", decimals, exact);
    if (decimals == 0) text[length++] = '.';
    right_justify(out, 11, text, static_cast<std::size_t>(length));
    std::memset(out + 11, ' ', 4);
    return;
  }
  length = std::snprintf(text, sizeof text, "%.7E", exact);
  right_justify(out, real_field_width, text, static_cast<std::size_t>(length));
}

void append_real_field(std::string& out, float value) {
  char field[real_field_width];
  write_real_field(field, value);
  out.append(field, real_field_width);
}

std::string real_field(float value) {
  std::string out;
  append_real_field(out, value);
  return out;
}

}  // namespace mapplot
