#include "textout/generalised_number.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string_view>

namespace mapplot {
namespace {

// Every conversion goes through to_chars: printf would take its decimal
// point from the global locale, which a program on screen sets from the
// user's environment ("1,77" under de_DE).
struct converted {
  char text[64];  // fixed form only below 1e16, with at most 17 decimals
  std::size_t length;

  std::string_view view() const { return {text, length}; }
};

converted convert(double value, std::chars_format format, int precision) {
  converted out{};
  const auto result = std::to_chars(out.text, out.text + sizeof out.text, value, format, precision);
  out.length = static_cast<std::size_t>(result.ptr - out.text);
  return out;
}

std::string right_justified(std::string_view text, std::size_t width) {
  std::string field(width > text.size() ? width - text.size() : 0, ' ');
  field += text;
  return field;
}

// The decimal exponent of `value` rounded to `digits` significant digits.
int rounded_exponent(double value, int digits) {
  const converted scientific = convert(value, std::chars_format::scientific, digits - 1);
  const std::string_view text = scientific.view();
  const std::string_view exponent = text.substr(text.find('e') + 1);
  int parsed = 0;
  // from_chars takes no "+".
  const std::size_t start = exponent.front() == '+' ? 1 : 0;
  std::from_chars(exponent.data() + start, exponent.data() + exponent.size(), parsed);
  return parsed;
}

std::string fixed_form(double value, int digits, int exponent) {
  const std::size_t width = static_cast<std::size_t>(digits) + 2;
  const int before_point = value == 0 ? 1 : (exponent >= 0 ? exponent + 1 : 0);
  const converted fixed = convert(value, std::chars_format::fixed, digits - before_point);
  std::string with_point(fixed.view());
  if (with_point.find('.') == std::string::npos) with_point += '.';
  // The "0" before the point goes when the field has no room for it.
  if (with_point.size() > width && std::fabs(value) < 1) {
    const auto zero = with_point.find("0.");
    if (zero != std::string::npos) with_point.erase(zero, 1);
  }
  return right_justified(with_point, width) + "    ";
}

void append_exponent_digits(std::string& out, int magnitude, int count) {
  char text[8];
  const auto end = std::to_chars(text, text + sizeof text, magnitude).ptr;
  const auto length = static_cast<int>(end - text);
  out.append(static_cast<std::size_t>(std::max(count - length, 0)), '0');
  out.append(text, static_cast<std::size_t>(length));
}

std::string exponent_form(double value, int digits, int exponent) {
  const converted scientific = convert(std::fabs(value), std::chars_format::scientific, digits - 1);
  // The text is d.ddd...e±xx: gather the significant digits.
  std::string form = std::signbit(value) ? "-." : "0.";
  for (const char c : scientific.view()) {
    if (c == 'e') break;
    if (c != '.') form += c;
  }
  const int shown_exponent = exponent + 1;
  const int magnitude = std::abs(shown_exponent);
  // Three exponent digits leave no room for the letter.
  if (magnitude <= 99) form += 'E';
  form += shown_exponent < 0 ? '-' : '+';
  append_exponent_digits(form, magnitude, magnitude <= 99 ? 2 : 3);
  return right_justified(form, static_cast<std::size_t>(digits) + 6);
}

}  // namespace

std::string generalised_number(double value, int digits) {
  const std::size_t width = static_cast<std::size_t>(digits) + 6;
  if (std::isnan(value)) return right_justified("NaN", width);
  if (std::isinf(value)) return right_justified(value < 0 ? "-Infinity" : "Infinity", width);
  if (value == 0) return fixed_form(0.0, digits, 0);

  const int exponent = rounded_exponent(value, digits);
  if (exponent >= -1 && exponent < digits) return fixed_form(value, digits, exponent);
  return exponent_form(value, digits, exponent);
}

}  // namespace mapplot
