#include "textout/text_line.hpp"

#include <algorithm>

#include "textout/integer_field.hpp"
#include "textout/real_field.hpp"
#include "textout/utf8_cut.hpp"

namespace mapplot {
namespace {

class line_assembler {
 public:
  explicit line_assembler(std::size_t width) : width_(std::max<std::size_t>(width, 2)) {}

  void add(std::int32_t value) { add_number(integer_field(value)); }
  void add(float value) { add_number(real_field(value)); }

  void add(std::string_view text) {
    const std::size_t needed = text.size() + (current_.empty() ? 1 : 0);
    if (current_.size() + needed <= width_) {
      if (current_.empty()) current_ = ' ';
      current_ += text;
      return;
    }
    if (!current_.empty()) end_line();
    const std::size_t piece = width_ - 1;
    do {
      const auto length = utf8_cut(text, piece);
      current_ = ' ';
      current_ += text.substr(0, length);
      text.remove_prefix(length);
      if (!text.empty()) end_line();
    } while (!text.empty());
  }

  std::vector<std::string> finish() {
    lines_.push_back(std::move(current_));
    return std::move(lines_);
  }

 private:
  void add_number(const std::string& field) {
    if (!current_.empty() && current_.size() + field.size() > width_) end_line();
    current_ += field;
  }

  void end_line() {
    lines_.push_back(std::move(current_));
    current_.clear();
  }

  std::size_t width_;
  std::string current_;
  std::vector<std::string> lines_;
};

}  // namespace

std::vector<std::string> assemble_lines(std::initializer_list<line_item> items, std::size_t width) {
  line_assembler assembler(width);
  for (const auto& item : items) std::visit([&](auto value) { assembler.add(value); }, item);
  return assembler.finish();
}

}  // namespace mapplot
