// The text line rules: statements of integers, reals and texts assembled
// into lines, the 80-character text fields and the 15-character real field.
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz_input.hpp"
#include "request/text_field.hpp"
#include "textout/real_field.hpp"
#include "textout/text_line.hpp"

namespace {

using mapplot::line_item;

std::vector<std::string> assemble(const std::vector<line_item>& items, std::size_t width) {
  switch (items.size()) {
    case 0:
      return mapplot::assemble_lines({}, width);
    case 1:
      return mapplot::assemble_lines({items[0]}, width);
    case 2:
      return mapplot::assemble_lines({items[0], items[1]}, width);
    case 3:
      return mapplot::assemble_lines({items[0], items[1], items[2]}, width);
    default:
      return mapplot::assemble_lines({items[0], items[1], items[2], items[3]}, width);
  }
}

// A line holds at most `width` characters unless it is one number field
// that is wider by itself.
void check_lines(const std::vector<std::string>& lines, std::size_t width,
                 const std::vector<std::string>& texts, bool only_texts) {
  FUZZ_CHECK(!lines.empty());
  for (const std::string& line : lines) {
    FUZZ_CHECK(line.size() <= width || line.size() == 12 || line.size() == 15);
  }
  if (!only_texts || texts.empty()) return;
  // Texts alone: every line starts with the blank of its first text, and
  // the rest of the lines is the texts, in order, nothing lost or added.
  std::string joined, expected;
  for (const std::string& line : lines) {
    FUZZ_CHECK(!line.empty() && line.front() == ' ');
    joined += line.substr(1);
  }
  for (const std::string& text : texts) expected += text;
  FUZZ_CHECK(joined == expected);
  // Pieces of four bytes or more hold any character whole.
  bool texts_valid = true;
  for (const std::string& text : texts) texts_valid = texts_valid && valid_utf8(text);
  if (texts_valid && width >= 5) {
    for (const std::string& line : lines) FUZZ_CHECK(valid_utf8(line));
  }
}

// The field is the text's start and blanks: all of it up to 80 bytes,
// else 80 bytes or, to keep a UTF-8 character whole, up to three fewer.
void check_text_field(const std::string& text) {
  const mapplot::text_field field = mapplot::make_text_field(text);
  const std::string_view whole = field.whole();
  FUZZ_CHECK(whole.size() == 80);
  const auto holds = [&](std::size_t kept) {
    return whole.substr(0, kept) == std::string_view(text).substr(0, kept) &&
           whole.find_first_not_of(' ', kept) == std::string_view::npos;
  };
  if (text.size() <= 80) {
    FUZZ_CHECK(holds(text.size()));
    return;
  }
  if (valid_utf8(text)) {
    std::size_t kept = 80;
    while ((static_cast<unsigned char>(text[kept]) & 0xC0) == 0x80) --kept;
    FUZZ_CHECK(holds(kept));
    FUZZ_CHECK(valid_utf8(std::string(whole.substr(0, kept))));
    return;
  }
  FUZZ_CHECK(holds(80) || holds(79) || holds(78) || holds(77));
}

// The field reads back as the value to its 7 (fixed) or 8 (scientific)
// significant digits.
void check_real_field(float value) {
  const std::string field = mapplot::real_field(value);
  FUZZ_CHECK(field.size() == mapplot::real_field_width);
  const std::size_t start = field.find_first_not_of(' ');
  FUZZ_CHECK(start != std::string::npos);
  const std::string number = field.substr(start, field.find_last_not_of(' ') + 1 - start);
  if (std::isnan(value)) {
    FUZZ_CHECK(number == "NaN");
  } else if (std::isinf(value)) {
    FUZZ_CHECK(number == (value > 0 ? "Infinity" : "-Infinity"));
  } else {
    char* end = nullptr;
    const double read = std::strtod(number.c_str(), &end);
    FUZZ_CHECK(*end == '\0');
    FUZZ_CHECK(std::fabs(read - value) <= 5.1e-7 * std::fabs(static_cast<double>(value)) + 1e-45);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz_input input(data, size);
  const std::size_t width = 2 + input.count(120);
  const std::size_t item_count = input.count(5);
  std::vector<std::string> texts;
  texts.reserve(item_count);
  std::vector<line_item> items;
  bool only_texts = true;
  for (std::size_t k = 0; k < item_count; ++k) {
    switch (input.byte() % 3) {
      case 0: {
        std::int32_t value = 0;
        for (int b = 0; b < 4; ++b) value = static_cast<std::int32_t>((value << 8) | input.byte());
        items.emplace_back(value);
        only_texts = false;
        break;
      }
      case 1: {
        const float value = input.real();
        check_real_field(value);
        items.emplace_back(value);
        only_texts = false;
        break;
      }
      default:
        texts.push_back(input.text(200));
        items.emplace_back(std::string_view(texts.back()));
        check_text_field(texts.back());
        break;
    }
  }
  check_lines(assemble(items, width), width, texts, only_texts);
  return 0;
}
