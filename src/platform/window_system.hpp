#pragma once

#include <mapplot/window_pictures.hpp>
#include <memory>
#include <optional>
#include <string_view>

#include "internal_api.hpp"
#include "platform/map_data.hpp"
#include "platform/palette.hpp"
#include "platform/world_transform.hpp"

namespace mapplot {

enum class rectangle_style { outline, filled };

// The windowing layer as the screen map sees it: numbered graphics windows
// (window 0 is the program's text console window), pixel and world
// coordinates, palette and RGB colours, rectangles and text. One
// implementation draws into Qt canvases, another records every call for tests.
// Calls come from the program's thread only; results are not reported.
//
// Drawing goes into a picture the screen cannot see; present_frame shows it
// whole. One screen_map call that draws is one frame.
class MAPPLOT_INTERNAL_API window_system {
 public:
  virtual ~window_system() = default;

  virtual void open_graphics_window(int number, std::string_view title) = 0;
  virtual void focus_graphics_window(int number) = 0;
  virtual void clear_window() = 0;
  virtual void set_color_index(int palette_index) = 0;
  // Pixel corners relative to the viewport's first corner, both inclusive.
  virtual void draw_rectangle(rectangle_style style, int x1, int y1, int x2, int y2) = 0;
  virtual void set_viewport(int x1, int y1, int x2, int y2) = 0;
  virtual void set_world_window(bool y_upwards, double x1, double y1, double x2, double y2) = 0;
  virtual void set_color_rgb(int red, int green, int blue) = 0;
  virtual void draw_rectangle_world(rectangle_style style, double x1, double y1, double x2,
                                    double y2) = 0;
  virtual void wait_for_enter() = 0;
  virtual void reset_window_mode() = 0;
  // Option text t'face'h<height>w<width>, for example "t'modern'h14w9".
  virtual void set_font(std::string_view option_text) = 0;
  virtual void set_text_color_index(int palette_index) = 0;
  virtual void init_fonts() = 0;
  virtual void move_to_world(double x, double y) = 0;
  virtual void draw_text(std::string_view text) = 0;

  // A whole map in one call, through the current world window and clipped to
  // the viewport: each pixel shows the cell that filling every cell in order
  // (rows outer, columns inner, a later cell painting over a shared edge)
  // would leave there, at a cost of the pixels and not of the cells; a cell
  // with an edge that has no pixel is left out. The window keeps the map, so
  // that it can draw other views of it. The drawing colour is left as it was.
  virtual void draw_map(std::shared_ptr<const map_data> map) = 0;
  // Ends a frame: what the current window has drawn since its last frame is
  // shown whole. On screen this keeps pace with the screen and may wait a
  // little for the previous frame to be painted. Nothing happens when nothing
  // was drawn.
  virtual void present_frame() = 0;

  // Window `number`'s last presented picture; nothing where the
  // implementation keeps no pictures. Safe from any thread.
  virtual std::optional<window_picture> presented_picture(int number) const;

  // Whether wait_for_enter has a console to wait on. A layer inside the
  // caller's own Qt program has none, and drawing that needs it is refused
  // before anything is drawn.
  virtual bool has_console() const { return true; }
};

// The implementation the screen map draws through. Set by the program's
// start-up (or a test) before the first map is drawn; until then, and after
// install_window_system(nullptr), drawing is discarded.
MAPPLOT_INTERNAL_API window_system& current_window_system();
MAPPLOT_INTERNAL_API void install_window_system(window_system* system);

// Ends the program with `message` shown by the windowing layer and a non-zero
// exit status ("insufficient virtual memory" and the like).
[[noreturn]] void fatal_error(std::string_view message);

// Sets what fatal_error does before it exits; the default prints the message
// on standard error.
using fatal_error_reporter = void (*)(std::string_view message);
MAPPLOT_INTERNAL_API void install_fatal_error_reporter(fatal_error_reporter reporter);

}  // namespace mapplot
