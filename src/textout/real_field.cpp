#include "textout/real_field.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
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
  // to_chars with a precision rounds the exact value as printf does, several
  // times faster. The decimal exponent after rounding to 7 significant digits
  // decides between the two notations; fixed notation reuses those 7 digits.
  char text[32];
  char* end = std::to_chars(text, text + sizeof text, value, std::chars_format::scientific, 6).ptr;
  const char* exponent_mark = std::find(text, end, 'e');
  int exponent = 0;
  std::from_chars(exponent_mark + (exponent_mark[1] == '+' ? 2 : 1), end, exponent);
  if (value != 0 && exponent >= -1 && exponent <= 6) {
    const bool negative = text[0] == '-';
    const char* digits = text + (negative ? 1 : 0);  // d.dddddd
    char fixed[16];
    std::size_t length = 0;
    if (negative) fixed[length++] = '-';
    if (exponent < 0) {
      fixed[length++] = '0';
      fixed[length++] = '.';
      fixed[length++] = digits[0];
      std::memcpy(fixed + length, digits + 2, 6);
      length += 6;
    } else {
      fixed[length++] = digits[0];
      std::memcpy(fixed + length, digits + 2, static_cast<std::size_t>(exponent));
      length += static_cast<std::size_t>(exponent);
      fixed[length++] = '.';
      std::memcpy(fixed + length, digits + 2 + exponent, static_cast<std::size_t>(6 - exponent));
      length += static_cast<std::size_t>(6 - exponent);
    }
    right_justify(out, 11, fixed, length);
    std::memset(out + 11, ' ', 4);
    return;
  }
  end = std::to_chars(text, text + sizeof text, value, std::chars_format::scientific, 7).ptr;
  *std::find(text, end, 'e') = 'E';
  right_justify(out, real_field_width, text, static_cast<std::size_t>(end - text));
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
