#pragma once

#include <optional>
#include <string>
#include <vector>

#include "internal_api.hpp"
#include "platform/viewing/viewed_map.hpp"

namespace mapplot {

// What the user reads and does over a map, the same in a graphics window, a
// map_widget and a served page: the view they chose, the readout, the zoom
// and pan limits, the keys' help and the strip of lines under the map. Front
// ends keep one map_viewing per map, feed it pixels of the map's viewport
// and draw what it answers.
struct map_viewing {
  plane_view whole;                      // what Home shows: the program's own view
  plane_view view;                       // what the user shows now
  std::optional<pixel_point> cursor;     // over the viewport's pixels, while hovering
  std::optional<pixel_point> drag_from;  // where the left button went down
  plane_view view_at_drag;
  std::string stop;  // why the last zoom or pan went no further; empty when it did not stop
  bool help_shown = false;
};

// Whether `view` spans a finite, non-empty width and height.
MAPPLOT_INTERNAL_API bool has_extent(const plane_view& view);

// Starts examining a map shown whole.
map_viewing viewing_of(const viewed_map& map);

// Takes the map's new whole view (the program drew another frame). The user's
// view stays the same part of the picture, as a camera would; a map that
// covers another part of the plane is shown whole.
MAPPLOT_INTERNAL_API void follow_whole(map_viewing& viewing, const plane_view& whole);

MAPPLOT_INTERNAL_API bool zoomed(const map_viewing& viewing);

// One wheel notch zooms by this much.
inline constexpr double zoom_per_notch = 1.25;

// Zooms `notches` (negative: out) around pixel `around` of `viewport`, the
// point under it staying there. Stops, saying why in `stop`, where the map's
// limits refuse the new view.
MAPPLOT_INTERNAL_API void zoom_around(map_viewing& viewing, const viewed_map& map,
                                      const pixel_rectangle& viewport, pixel_point around,
                                      double notches);

MAPPLOT_INTERNAL_API void start_drag(map_viewing& viewing, pixel_point from);
// The view follows the drag from where it started to `to`.
MAPPLOT_INTERNAL_API void drag_to(map_viewing& viewing, const viewed_map& map,
                                  const pixel_rectangle& viewport, pixel_point to);
MAPPLOT_INTERNAL_API void end_drag(map_viewing& viewing);

// Home: the whole map again.
MAPPLOT_INTERNAL_API void reset_view(map_viewing& viewing);

// Paints the user's view of `map` over `viewport`, within `area` (the pixels
// the map covers in the program's picture): the area in the map background,
// then what the map shows there.
MAPPLOT_INTERNAL_API void paint_view(const map_viewing& viewing, const viewed_map& map,
                                     const pixel_rectangle& viewport, const pixel_rectangle& area,
                                     pixel_raster raster);

// What a front end adds to the strip: the state of the program's frames.
struct strip_state {
  bool paused = false;
  std::string notice;  // a passing message, for example "saved …" or the pace
};

// The strip's lines, always strip_line_count of them (some empty), so that
// the room a front end makes for it never changes while the user hovers:
//   the visible x and y ranges, with digits enough to tell pixels apart;
//   the point under the cursor, likewise;
//   the cell drawn there: its indices, x, y and value, each as its type
//     writes it shortest and exactly;
//   why a zoom stopped, the map's own note, the notice and "paused".
inline constexpr int strip_line_count = 4;
// Without a map (nullptr) only the last line has anything to say.
MAPPLOT_INTERNAL_API std::vector<std::string> strip_lines(const map_viewing& viewing,
                                                          const viewed_map* map,
                                                          const pixel_rectangle& viewport,
                                                          const strip_state& state = {});

// The keys a front end answers, for the help it shows after F1 or `?`.
struct key_set {
  bool program_frames = false;  // Space, step and pace: the program's frames can be held
  bool save = false;            // Ctrl+S saves the picture as shown
};
MAPPLOT_INTERNAL_API std::vector<std::string> help_lines(const key_set& keys);

}  // namespace mapplot
