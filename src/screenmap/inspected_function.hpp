#pragma once

#include <mapplot/map_widget.hpp>
#include <memory>
#include <string>

#include "platform/inspection/inspected_map.hpp"
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

// The function's view of `view` over the pixels of `area`.
map_viewport viewport_over(const inspection_view& view, const pixel_rectangle& area);

// The inspection of such a map. `source` outlives it.
std::unique_ptr<inspected_map> inspected_function(const function_picture_source& source);

}  // namespace mapplot
