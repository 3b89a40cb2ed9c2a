#include "platform/viewing/map_viewing.hpp"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "platform/viewing/readout_numbers.hpp"

namespace mapplot {
namespace {

// `view` as the same part of `to` as it was of `from`.
plane_view carried_over(const plane_view& view, const plane_view& from, const plane_view& to) {
  const auto across = [](long double value, long double low, long double high, long double new_low,
                         long double new_high) {
    return new_low + (value - low) / (high - low) * (new_high - new_low);
  };
  return {across(view.x1, from.x1, from.x2, to.x1, to.x2),
          across(view.y1, from.y1, from.y2, to.y1, to.y2),
          across(view.x2, from.x1, from.x2, to.x1, to.x2),
          across(view.y2, from.y1, from.y2, to.y1, to.y2)};
}

// Takes `candidate` unless the map refuses it. Going back towards the whole
// map is refused only by a limit the present view is within: a view the map
// came to refuse (after a resize, say) can always be left by zooming out.
void move_to(map_viewing& viewing, const viewed_map& map, const pixel_rectangle& viewport,
             const plane_view& candidate, bool outwards) {
  std::string refusal = has_extent(candidate) ? map.refusal(candidate, viewport)
                                              : "Zooming stops here: the view has no width left";
  if (!refusal.empty() && outwards && has_extent(candidate) &&
      !map.refusal(viewing.view, viewport).empty())
    refusal.clear();
  viewing.stop = refusal;
  if (refusal.empty()) viewing.view = candidate;
}

std::string range_text(long double low, long double high, int pixels) {
  const long double pixel_width = (high - low) / std::max(pixels, 1);
  return position_text(low, pixel_width) + " .. " + position_text(high, pixel_width);
}

}  // namespace

bool has_extent(const plane_view& view) {
  const long double width = view.x2 - view.x1, height = view.y2 - view.y1;
  return std::isfinite(width) && std::isfinite(height) && width != 0 && height != 0;
}

map_viewing viewing_of(const viewed_map& map) {
  map_viewing viewing;
  viewing.whole = map.whole();
  viewing.view = viewing.whole;
  return viewing;
}

void follow_whole(map_viewing& viewing, const plane_view& whole) {
  if (whole == viewing.whole) return;
  const plane_view carried = carried_over(viewing.view, viewing.whole, whole);
  viewing.view = has_extent(carried) ? carried : whole;
  viewing.view_at_drag = carried_over(viewing.view_at_drag, viewing.whole, whole);
  viewing.whole = whole;
}

bool zoomed(const map_viewing& viewing) {
  return viewing.view != viewing.whole;
}

void zoom_around(map_viewing& viewing, const viewed_map& map, const pixel_rectangle& viewport,
                 pixel_point around, double notches) {
  if (notches == 0 || !std::isfinite(notches)) return;
  const long double factor = std::pow(static_cast<long double>(zoom_per_notch), notches);
  const plane_point fixed = map.point_at(viewing.view, viewport, around);
  const plane_view& view = viewing.view;
  const plane_view zoomed{
      fixed.x - (fixed.x - view.x1) / factor, fixed.y - (fixed.y - view.y1) / factor,
      fixed.x + (view.x2 - fixed.x) / factor, fixed.y + (view.y2 - fixed.y) / factor};
  move_to(viewing, map, viewport, zoomed, factor < 1);
}

void start_drag(map_viewing& viewing, pixel_point from) {
  viewing.drag_from = from;
  viewing.view_at_drag = viewing.view;
}

void drag_to(map_viewing& viewing, const viewed_map& map, const pixel_rectangle& viewport,
             pixel_point to) {
  if (!viewing.drag_from) return;
  const plane_view& from = viewing.view_at_drag;
  const long double across = std::max(std::abs(viewport.right - viewport.left), 1);
  const long double down = std::max(std::abs(viewport.bottom - viewport.top), 1);
  const long double shift_x = -(to.x - viewing.drag_from->x) / across * (from.x2 - from.x1);
  const long double shift_y = (to.y - viewing.drag_from->y) / down * (from.y2 - from.y1);
  move_to(viewing, map, viewport,
          {from.x1 + shift_x, from.y1 + shift_y, from.x2 + shift_x, from.y2 + shift_y}, false);
}

void end_drag(map_viewing& viewing) {
  viewing.drag_from.reset();
}

void reset_view(map_viewing& viewing) {
  viewing.view = viewing.whole;
  viewing.stop.clear();
}

void paint_view(const map_viewing& viewing, const viewed_map& map, const pixel_rectangle& viewport,
                const pixel_rectangle& area, pixel_raster raster) {
  const auto clip = clipped(normalised(area), {0, 0, raster.width - 1, raster.height - 1});
  if (!clip) return;
  for (int row = clip->top; row <= clip->bottom; ++row) {
    argb_pixel* line = raster.pixels + row * raster.row_length;
    std::fill(line + clip->left, line + clip->right + 1, map_background_pixel);
  }
  map.paint(viewing.view, viewport, *clip, raster);
}

std::vector<std::string> strip_lines(const map_viewing& viewing, const viewed_map* map,
                                     const pixel_rectangle& viewport, const strip_state& state) {
  std::vector<std::string> lines(strip_line_count);
  std::vector<std::string> notes;
  if (map != nullptr) {
    const plane_view& view = viewing.view;
    lines[0] = (zoomed(viewing) ? "shown: x " : "x ") +
               range_text(view.x1, view.x2, std::abs(viewport.right - viewport.left)) + "   y " +
               range_text(view.y1, view.y2, std::abs(viewport.bottom - viewport.top));
    if (viewing.cursor) {
      map_reading reading = map->reading_at(view, viewport, *viewing.cursor);
      lines[1] = std::move(reading.point);
      lines[2] = std::move(reading.cell);
    }
    if (!viewing.stop.empty()) notes.push_back(viewing.stop);
    if (zoomed(viewing)) {
      if (std::string note = map->zoomed_note(); !note.empty()) notes.push_back(std::move(note));
    }
  }
  if (!state.notice.empty()) notes.push_back(state.notice);
  if (state.paused) notes.push_back("paused");
  for (std::size_t index = 0; index < notes.size(); ++index)
    lines[3] += (index > 0 ? "   " : "") + notes[index];
  return lines;
}

std::vector<std::string> help_lines(const key_set& keys) {
  std::vector<std::string> lines = {
      "Mouse wheel: zoom around the cursor",
      "Drag (left button): pan",
      "Home or double-click: the whole map",
      "Hover: the cell under the cursor, its x, y and value",
  };
  if (keys.program_frames) {
    lines.insert(lines.end(),
                 {"Space: pause or go on", "Right arrow or .: one more frame while paused",
                  "+ / -: frames faster / slower"});
  }
  if (keys.save) lines.emplace_back("Ctrl+S: save the picture as shown");
  lines.emplace_back("F1 or ?: these keys (any key or click hides them)");
  return lines;
}

}  // namespace mapplot
