#pragma once

#include "internal_api.hpp"

namespace mapplot {

// A standard descriptor that is closed would be taken by the next file the
// program opens (Qt's event descriptor, say), and console lines would go
// there. Each closed one is opened on /dev/null for reading only: standard
// input meets its end, and a write to standard output or error still fails
// with EBADF, as on the closed descriptor, so that lost lines are reported.
MAPPLOT_INTERNAL_API void open_closed_standard_descriptors();

}  // namespace mapplot
