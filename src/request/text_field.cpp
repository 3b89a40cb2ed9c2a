#include "request/text_field.hpp"

#include <algorithm>
#include <string>

#include "textout/utf8_cut.hpp"

namespace mapplot {

std::string_view strip_leading_blanks(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  return first == std::string_view::npos ? std::string_view{} : text.substr(first);
}

std::string_view strip_trailing_blanks(std::string_view text) {
  const auto last = text.find_last_not_of(' ');
  return last == std::string_view::npos ? std::string_view{} : text.substr(0, last + 1);
}

std::string_view strip_blanks(std::string_view text) {
  return strip_trailing_blanks(strip_leading_blanks(text));
}

std::string_view text_field::without_trailing_blanks() const {
  return strip_trailing_blanks(whole());
}

std::string_view text_field::trimmed() const {
  return strip_blanks(whole());
}

text_field make_text_field(std::string_view text) {
  text_field field;
  field.characters.fill(' ');
  std::copy_n(text.begin(), utf8_cut(text, text_field_length), field.characters.begin());
  return field;
}

text_field resolve_trimmed(std::optional<std::string_view> given, std::string_view fallback) {
  return make_text_field(given ? strip_blanks(*given) : fallback);
}

text_field resolve_left_trimmed(std::optional<std::string_view> given, std::string_view fallback) {
  return make_text_field(given ? strip_leading_blanks(*given) : fallback);
}

text_field resolve_verbatim(std::optional<std::string_view> given, std::string_view fallback) {
  return make_text_field(given ? *given : fallback);
}

text_field logarithmic_title(const text_field& title) {
  std::string wrapped = "log(";
  wrapped += title.trimmed();
  wrapped += ')';
  return make_text_field(wrapped);
}

}  // namespace mapplot
