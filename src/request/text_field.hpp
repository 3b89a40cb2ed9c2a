#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "internal_api.hpp"

namespace mapplot {

inline constexpr std::size_t text_field_length = 80;

// A text held in exactly 80 characters, blank padded; longer text is cut,
// before a UTF-8 character that would not fit whole.
struct text_field {
  std::array<char, text_field_length> characters;

  std::string_view whole() const { return {characters.data(), characters.size()}; }
  MAPPLOT_INTERNAL_API std::string_view without_trailing_blanks() const;
  MAPPLOT_INTERNAL_API std::string_view trimmed() const;
};

// Only the blank character counts as blank.
std::string_view strip_leading_blanks(std::string_view text);
MAPPLOT_INTERNAL_API std::string_view strip_trailing_blanks(std::string_view text);
MAPPLOT_INTERNAL_API std::string_view strip_blanks(std::string_view text);

MAPPLOT_INTERNAL_API text_field make_text_field(std::string_view text);

// Resolution of an optional text argument: the fallback when absent, otherwise
// the given text (never the fallback, even when the text is empty or blank).
// The three variants differ in which blanks of a given text they remove.
MAPPLOT_INTERNAL_API text_field resolve_trimmed(std::optional<std::string_view> given,
                                                std::string_view fallback);
text_field resolve_left_trimmed(std::optional<std::string_view> given, std::string_view fallback);
MAPPLOT_INTERNAL_API text_field resolve_verbatim(std::optional<std::string_view> given,
                                                 std::string_view fallback);

// "log(" + the title without leading and trailing blanks + ")", cut to 80
// characters: an inner text of 76 characters or more loses the ")".
MAPPLOT_INTERNAL_API text_field logarithmic_title(const text_field& title);

}  // namespace mapplot
