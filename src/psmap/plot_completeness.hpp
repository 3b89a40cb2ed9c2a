#pragma once

#include <span>

#include "psmap/device_type.hpp"

namespace mapplot {

// Whether `contents` is a whole file of the device's format, as PGPLOT ends
// it: PostScript up to its "%%EOF", a LaTeX picture up to
// "\end{picture}", a PNG's chunks up to IEND, a GIF's blocks up to its
// trailer; each ending the file. A write that failed part way leaves none of
// these, which is how a failure PGPLOT does not report is noticed.
bool is_complete_plot(plot_output output, std::span<const unsigned char> contents);

}  // namespace mapplot
