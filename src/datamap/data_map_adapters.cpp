#include <string_view>
#include <vector>

#include "datamap/data_map.hpp"
#include "request/array_conversion.hpp"
#include "request/text_field.hpp"

namespace mapplot {
namespace {

constexpr std::string_view default_curve_title = "Representation of y=y(x)";

// The core receives every option, resolved as it would resolve them itself;
// the file name is passed whole because it is never cut to a text field.
struct resolved_options {
  bool logscale;
  text_field xlabel, ylabel, title;
  std::string_view filename;

  // Views into this object: keep it alive for the call.
  data_options options() const {
    return {.logscale = logscale,
            .xlabel = xlabel.whole(),
            .ylabel = ylabel.whole(),
            .title = title.whole(),
            .filename = filename};
  }
};

resolved_options resolve(const data_options& given, std::string_view fallback_title) {
  return {.logscale = given.logscale.value_or(false),
          .xlabel = resolve_trimmed(given.xlabel, default_xlabel),
          .ylabel = resolve_trimmed(given.ylabel, default_ylabel),
          .title = resolve_verbatim(given.title, fallback_title),
          .filename = given.filename.value_or(default_data_file_name)};
}

}  // namespace

void data_map(std::span<const double> x, std::span<const double> y, std::span<const double> z,
              const data_options& options) {
  const resolved_options resolved = resolve(options, default_curve_title);
  data_map(narrow(x), narrow(y), narrow(z), resolved.options());
}

void data_map(std::span<const float> x, std::span<const float> y, grid_view<float> z,
              const data_options& options) {
  const resolved_options resolved = resolve(options, default_title);
  data_map(x, y, flatten<float>(z), resolved.options());
}

void data_map(std::span<const double> x, std::span<const double> y, grid_view<double> z,
              const data_options& options) {
  const resolved_options resolved = resolve(options, default_title);
  data_map(narrow(x), narrow(y), flatten<float>(z), resolved.options());
}

}  // namespace mapplot
