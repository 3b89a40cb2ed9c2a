#include "screenmap/map_texts.hpp"

#include <string>

namespace mapplot {
namespace {

text_field remove_mark(text_field field, std::string_view mark) {
  for (auto position = field.whole().find(mark); position != std::string_view::npos;
       position = field.whole().find(mark)) {
    const std::string_view whole = field.whole();
    std::string joined(strip_blanks(whole.substr(0, position)));
    joined += strip_blanks(whole.substr(position + mark.size()));
    field = make_text_field(joined);
  }
  return field;
}

}  // namespace

text_field remove_escapes(const text_field& field) {
  return remove_mark(remove_mark(field, "\\u"), "\\d");
}

map_texts prepare_map_texts(const screen_options& options) {
  map_texts texts{resolve_trimmed(options.xlabel, default_xlabel),
                  resolve_trimmed(options.ylabel, default_ylabel),
                  resolve_trimmed(options.title, default_title)};
  if (options.logscale.value_or(false)) texts.title = logarithmic_title(texts.title);
  texts.xlabel = remove_escapes(texts.xlabel);
  texts.ylabel = remove_escapes(texts.ylabel);
  texts.title = remove_escapes(texts.title);
  return texts;
}

}  // namespace mapplot
