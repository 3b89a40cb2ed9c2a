#include "platform/font_option.hpp"

#include <charconv>

namespace mapplot {
namespace {

// Reads `letter` followed by a decimal size from the front of `text`.
std::optional<int> take_size(std::string_view& text, char letter) {
  if (text.empty() || (text.front() != letter && text.front() != letter - 'a' + 'A')) {
    return std::nullopt;
  }
  text.remove_prefix(1);
  int size = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), size);
  if (error != std::errc{} || end == text.data()) return std::nullopt;
  if (size < 1 || size > largest_font_size) return std::nullopt;
  text.remove_prefix(static_cast<std::size_t>(end - text.data()));
  return size;
}

}  // namespace

std::optional<font_choice> parse_font_option(std::string_view text) {
  if (text.size() < 2 || (text[0] != 't' && text[0] != 'T') || text[1] != '\'') {
    return std::nullopt;
  }
  text.remove_prefix(2);
  const auto closing = text.find('\'');
  if (closing == std::string_view::npos || closing == 0) return std::nullopt;
  font_choice font;
  font.face = std::string(text.substr(0, closing));
  text.remove_prefix(closing + 1);
  const auto height = take_size(text, 'h');
  if (!height) return std::nullopt;
  const auto width = take_size(text, 'w');
  if (!width || !text.empty()) return std::nullopt;
  font.height = *height;
  font.width = *width;
  return font;
}

font_choice terminal_font() {
  return {"Terminal", 12, 8};
}

}  // namespace mapplot
