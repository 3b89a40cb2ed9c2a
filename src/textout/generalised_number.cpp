#include "textout/generalised_number.hpp"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace mapplot {
namespace {

std::string right_justified(std::string_view text, std::size_t width) {
  std::string field(width > text.size() ? width - text.size() : 0, ' ');
  field += text;
  return field;
}

std::string fixed_form(double value, int digits, int exponent) {
  const std::size_t width = static_cast<std::size_t>(digits) + 2;
  const int before_point = value == 0 ? 1 : (exponent >= 0 ? exponent + 1 : 0);
  char text[64];
  int length = std::snprintf(text, sizeof text, "%.*f", digits - before_point, value);
  std::string_view form(text, static_cast<std::size_t>(length));
  std::string with_point(form);
  if (with_point.find('.') == std::string::npos) with_point += '.';
  // The "0" before the point goes when the field has no room for it.
  if (with_point.size() > width && std::fabs(value) < 1) {
    const auto zero = with_point.find("0.");
    if (zero != std::string::npos) with_point.erase(zero, 1);
  }
  return right_justified(with_point, width) + "    ";
}

std::string exponent_form(double value, int digits, int exponent) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*E", digits - 1, std::fabs(value));
  // text is d.ddd...E±xx: gather the significant digits.
  std::string significant;
  for (const char* c = text; *c != 'E'; ++c) {
    if (*c != '.') significant += *c;
  }
  const int shown_exponent = exponent + 1;
  char exponent_text[16];
  if (std::abs(shown_exponent) <= 99) {
    std::snprintf(exponent_text, sizeof exponent_text, "E%c%02d", shown_exponent < 0 ? '-' : '+',
                  std::abs(shown_exponent));
  } else {
    std::snprintf(exponent_text, sizeof exponent_text, "%c%03d", shown_exponent < 0 ? '-' : '+',
                  std::abs(shown_exponent));
  }
  std::string form = std::signbit(value) ? "-." : "0.";
  form += significant;
  form += exponent_text;
  return right_justified(form, static_cast<std::size_t>(digits) + 6);
}

}  // namespace

std::string generalised_number(double value, int digits) {
  const std::size_t width = static_cast<std::size_t>(digits) + 6;
  if (std::isnan(value)) return right_justified("NaN", width);
  if (std::isinf(value)) return right_justified(value < 0 ? "-Infinity" : "Infinity", width);
  if (value == 0) return fixed_form(0.0, digits, 0);

  char text[64];
  std::snprintf(text, sizeof text, "%.*E", digits - 1, value);
  const int exponent = std::atoi(std::strchr(text, 'E') + 1);
  if (exponent >= -1 && exponent < digits) return fixed_form(value, digits, exponent);
  return exponent_form(value, digits, exponent);
}

}  // namespace mapplot
