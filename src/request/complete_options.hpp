#pragma once

#include <mapplot/map_request.hpp>
#include <string_view>

#include "internal_api.hpp"

namespace mapplot {

// Every option of a request present, absent ones replaced by the family's
// defaults: what an overload hands its core, which resolves the texts itself
// by its own rules. Texts are views of the caller's texts or of the defaults.
MAPPLOT_INTERNAL_API screen_options complete_options(const screen_options& options);
postscript_options complete_options(const postscript_options& options);
// `title_default`: the data file's double-precision flat overload has its own.
data_options complete_options(const data_options& options,
                              std::string_view title_default = default_title);

}  // namespace mapplot
