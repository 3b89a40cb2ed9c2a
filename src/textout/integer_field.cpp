#include "textout/integer_field.hpp"

#include <charconv>

namespace mapplot {

void append_integer_field(std::string& out, std::int32_t value) {
  char digits[integer_field_width];
  const auto [end, error] = std::to_chars(digits, digits + sizeof digits, value);
  (void)error;  // every int32 fits in 11 characters
  const auto length = static_cast<std::size_t>(end - digits);
  out.append(integer_field_width - length, ' ');
  out.append(digits, length);
}

std::string integer_field(std::int32_t value) {
  std::string out;
  append_integer_field(out, value);
  return out;
}

}  // namespace mapplot
