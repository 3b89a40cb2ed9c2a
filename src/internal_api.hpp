#pragma once

// Marks a declaration under src/ that another of mapplot's libraries, or
// julia_zoom's own code, uses. Shared libraries hide everything else; see
// <mapplot/export.hpp> for the public declarations.
#include <mapplot/export.hpp>

#define MAPPLOT_INTERNAL_API MAPPLOT_API
