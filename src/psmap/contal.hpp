#pragma once

#include <cstddef>
#include <string_view>

#include "psmap/image_placement.hpp"
#include "psmap/plot_image.hpp"
#include "psmap/postscript_request.hpp"

namespace mapplot {

// The drawing step of the PostScript map: opens the PGPLOT device
// `device_name` names, draws image, outline, axes box, wedge and labels,
// and closes the device again.
//
// The image holds the grid's first cells, x index fastest, for a grid of
// `nx` columns: complete rows are drawn in one piece, a last partial row
// after them, and cells beyond the values given stay blank. When either
// axis cannot place the map, there is no image and no outline, and that
// axis's side of the box has no numbers.
//
// Returns false, having drawn nothing, when PGPLOT cannot open the device.
bool contal(const plot_image& image, std::size_t nx, const axis_extent& x, const axis_extent& y,
            const postscript_fields& fields, std::string_view device_name);

}  // namespace mapplot
