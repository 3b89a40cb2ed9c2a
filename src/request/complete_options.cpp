#include "request/complete_options.hpp"

namespace mapplot {

screen_options complete_options(const screen_options& options) {
  return {.logscale = options.logscale.value_or(false),
          .xlabel = options.xlabel.value_or(default_xlabel),
          .ylabel = options.ylabel.value_or(default_ylabel),
          .title = options.title.value_or(default_title),
          .winsize = options.winsize.value_or(1),
          .ownwindow = options.ownwindow.value_or(false),
          .update = options.update.value_or(false)};
}

postscript_options complete_options(const postscript_options& options) {
  return {.logscale = options.logscale.value_or(false),
          .xlabel = options.xlabel.value_or(default_xlabel),
          .ylabel = options.ylabel.value_or(default_ylabel),
          .title = options.title.value_or(default_title),
          .filename = options.filename.value_or(default_plot_file_name),
          .device = options.device.value_or(default_device_type)};
}

data_options complete_options(const data_options& options, std::string_view title_default) {
  return {.logscale = options.logscale.value_or(false),
          .xlabel = options.xlabel.value_or(default_xlabel),
          .ylabel = options.ylabel.value_or(default_ylabel),
          .title = options.title.value_or(title_default),
          .filename = options.filename.value_or(default_data_file_name)};
}

}  // namespace mapplot
