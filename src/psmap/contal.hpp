#pragma once

#include <span>
#include <string_view>

#include "psmap/postscript_request.hpp"

namespace mapplot {

// The drawing step of the PostScript map: copies the grid from `values`
// (flattened, x index fastest), finds its range, and draws image, outline,
// box, wedge and labels through PGPLOT on the device `device_name`
// names, closing it again.
//
// `x` and `y` must not be empty and their lengths must fit PGPLOT's int.
// When `values` holds fewer than x.size() * y.size() values the missing
// cells are drawn at the minimum of the values given (black); surplus values
// are ignored.
//
// Returns false, after saying so on the console and drawing nothing, when
// PGPLOT cannot open the device.
bool contal(std::span<const float> x, std::span<const float> y, std::span<const float> values,
            const postscript_fields& fields, std::string_view device_name);

}  // namespace mapplot
