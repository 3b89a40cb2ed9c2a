#include "textout/real_field.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "textout/decimal_rounding.hpp"

namespace mapplot {
namespace {

constexpr std::size_t fixed_width = 11;  // then four blanks
constexpr int significant_digits = 7;

void right_justify(char* out, std::size_t width, const char* text, std::size_t length) {
  std::memset(out, ' ', width - length);
  std::memcpy(out + (width - length), text, length);
}

void write_non_finite(char* out, float value) {
  const char* text = std::isnan(value) ? "NaN" : (value < 0 ? "-Infinity" : "Infinity");
  right_justify(out, real_field_width, text, std::strlen(text));
}

// The `count` decimal digits of `number`, leading zeros included.
void write_digits(char* out, std::uint64_t number, int count) {
  for (int position = count - 1; position >= 0; --position) {
    out[position] = static_cast<char>('0' + number % 10);
    number /= 10;
  }
}

void write_fixed(char* out, bool negative, const decimal_rounding& rounded) {
  char digits[significant_digits];
  write_digits(digits, rounded.significand, significant_digits);
  char text[16];
  std::size_t length = 0;
  if (negative) text[length++] = '-';
  if (rounded.exponent < 0) {
    text[length++] = '0';
    text[length++] = '.';
    std::memcpy(text + length, digits, significant_digits);
    length += significant_digits;
  } else {
    const auto before_point = static_cast<std::size_t>(rounded.exponent) + 1;
    std::memcpy(text + length, digits, before_point);
    length += before_point;
    text[length++] = '.';
    std::memcpy(text + length, digits + before_point, significant_digits - before_point);
    length += significant_digits - before_point;
  }
  right_justify(out, fixed_width, text, length);
  std::memset(out + fixed_width, ' ', real_field_width - fixed_width);
}

void write_scientific(char* out, bool negative, const decimal_rounding& rounded) {
  char digits[significant_digits + 1];
  write_digits(digits, rounded.significand, significant_digits + 1);
  char text[16];
  std::size_t length = 0;
  if (negative) text[length++] = '-';
  text[length++] = digits[0];
  text[length++] = '.';
  std::memcpy(text + length, digits + 1, significant_digits);
  length += significant_digits;
  text[length++] = 'E';
  text[length++] = rounded.exponent < 0 ? '-' : '+';
  write_digits(text + length, static_cast<std::uint64_t>(std::abs(rounded.exponent)), 2);
  length += 2;
  right_justify(out, real_field_width, text, length);
}

// Zero, and values too small for the integer rounding (always scientific):
// to_chars rounds exactly, as printf does.
void write_converted(char* out, float value) {
  char text[32];
  char* end = std::to_chars(text, text + sizeof text, value, std::chars_format::scientific,
                            significant_digits)
                  .ptr;
  *std::find(text, end, 'e') = 'E';
  right_justify(out, real_field_width, text, static_cast<std::size_t>(end - text));
}

}  // namespace

void write_real_field(char* out, float value) {
  if (!std::isfinite(value)) {
    write_non_finite(out, value);
    return;
  }
  const bool negative = std::signbit(value);
  const float magnitude = std::fabs(value);
  // The notation follows the magnitude rounded to 7 significant digits.
  const auto seven = value == 0 ? std::nullopt : round_to_digits(magnitude, significant_digits);
  if (!seven) {
    write_converted(out, value);
  } else if (seven->exponent >= -1 && seven->exponent <= 6) {
    write_fixed(out, negative, *seven);
  } else if (const auto eight = round_to_digits(magnitude, significant_digits + 1)) {
    write_scientific(out, negative, *eight);
  } else {
    write_converted(out, value);
  }
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
