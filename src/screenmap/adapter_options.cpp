#include "screenmap/adapter_options.hpp"

namespace mapplot {

adapter_options resolve_adapter_options(const screen_options& options) {
  return {.xlabel = resolve_left_trimmed(options.xlabel, default_xlabel),
          .ylabel = resolve_left_trimmed(options.ylabel, default_ylabel),
          .title = resolve_left_trimmed(options.title, default_title),
          .logscale = options.logscale.value_or(false),
          .winsize = options.winsize.value_or(1),
          .ownwindow = options.ownwindow.value_or(false),
          .update = options.update.value_or(false)};
}

screen_options core_options(const adapter_options& resolved) {
  return {.logscale = resolved.logscale,
          .xlabel = resolved.xlabel.whole(),
          .ylabel = resolved.ylabel.whole(),
          .title = resolved.title.whole(),
          .winsize = resolved.winsize,
          .ownwindow = resolved.ownwindow,
          .update = resolved.update};
}

}  // namespace mapplot
