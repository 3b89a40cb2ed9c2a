#pragma once

#include "request/map_request.hpp"
#include "request/text_field.hpp"

namespace mapplot {

// The optional arguments of an adapter call as the core receives them: texts
// without leading blanks in 80-character fields, every option present.
struct adapter_options {
  text_field xlabel;
  text_field ylabel;
  text_field title;
  bool logscale;
  int winsize;
  bool ownwindow;
  bool update;
};

adapter_options resolve_adapter_options(const screen_options& options);

// The core's arguments; the texts are views of all 80 characters of the
// fields in `resolved`, which must outlive the result.
screen_options core_options(const adapter_options& resolved);

}  // namespace mapplot
