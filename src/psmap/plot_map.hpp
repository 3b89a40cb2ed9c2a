#pragma once

#include <mapplot/map_request.hpp>
#include <span>

namespace mapplot {

// A PostScript map request from start to end: checks, console lines, the
// image, the plot through PGPLOT and the file put in place. All four
// overloads of postscript_map come here; double-precision data is rounded
// to single precision as the image is made, which is the only copy of the
// values. Calls are made one at a time, as PGPLOT has global state.
template <class Real>
void plot_map(std::span<const Real> x, std::span<const Real> y, std::span<const Real> z,
              const postscript_options& options);

}  // namespace mapplot
