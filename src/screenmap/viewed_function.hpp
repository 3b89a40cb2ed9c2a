#pragma once

#include <mapplot/map_widget.hpp>
#include <memory>
#include <string>

#include "platform/viewing/viewed_map.hpp"
#include "screenmap/computed_picture.hpp"

namespace mapplot {

// A map whose values a function computes per view: the view Home shows, the
// caller's check, and the picture computed last, which any view is drawn
// from until its own arrives.
struct function_picture_source {
  map_viewport whole{};
  map_view_check check;
  std::shared_ptr<const computed_picture> shown;
};

// Whether two viewports ask the function for the same values.
bool same_viewport(const map_viewport& a, const map_viewport& b);

// The function's view of `view` over the pixels of `area`.
map_viewport viewport_over(const plane_view& view, const pixel_rectangle& area);

// Such a map as the user views it. `source` outlives it.
std::unique_ptr<viewed_map> viewed_function(const function_picture_source& source);

}  // namespace mapplot
