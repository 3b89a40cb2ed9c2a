// The renderer behind the four overloads, in the caller's precision.
#include <cmath>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/map_pixels.hpp"
#include "platform/window_system.hpp"
#include "request/console_warnings.hpp"
#include "request/grid_size.hpp"
#include "screenmap/legend.hpp"
#include "screenmap/map_layout.hpp"
#include "screenmap/map_renderer.hpp"
#include "screenmap/map_texts.hpp"
#include "screenmap/map_values.hpp"
#include "textout/write_console.hpp"

namespace mapplot {
namespace {

// What the display keeps from one call to the next. The mutex serialises whole
// calls: interleaved calls would share the current window and the counter.
struct renderer_state {
  std::mutex drawing;
  int window_counter = 100;
  double previous_pixel_width = 0;
};

renderer_state& state() {
  static renderer_state shared;
  return shared;
}

void prepare_window(window_system& windows, const map_layout& layout) {
  windows.clear_window();
  windows.set_color_index(5);
  windows.draw_rectangle(rectangle_style::outline, 1, 1, layout.height, layout.height);
  windows.set_color_index(1);
  windows.draw_rectangle(rectangle_style::filled, 4, 4, layout.height - 3, layout.height - 3);
}

// Why the grid cannot be drawn from these arrays, or empty when it can. Checked
// so that no cell reads past the end of x, y or z.
std::string unusable_grid(std::size_t nx, std::size_t ny, std::size_t values) {
  constexpr std::string_view consequence = "nothing drawn";
  if (nx == 0) return missing_array_warning("x coordinates", consequence);
  if (ny == 0) return missing_array_warning("y coordinates", consequence);
  if (values < nx * ny) return too_few_values_warning(values, nx, ny, consequence);
  return {};
}

// Coordinates that are not finite, span nothing or span more than a double
// holds leave the map no area to show.
coordinate_fault placement_fault(std::span<const double> coordinates, const value_range& range,
                                 double far_edge) {
  const coordinate_fault fault =
      coordinate_fault_of(coordinates, static_cast<long double>(range.max - range.min));
  if (fault == coordinate_fault::none && !std::isfinite(far_edge))
    return coordinate_fault::too_wide;
  return fault;
}

std::string non_finite_warning(const value_range& range) {
  return not_finite_values_warning(range.not_finite_count(), range.total_count,
                                   "NaN shown blue, -inf black, +inf white");
}

// In the console window the map is shown whole while the console waits.
void restore_console(window_system& windows) {
  windows.present_frame();
  windows.wait_for_enter();
  windows.reset_window_mode();
  windows.clear_window();
  windows.set_font("t'Terminal'h12w8");
  windows.set_text_color_index(7);
}

// A call's drawing is one frame: an own window shows it at once, the console
// shows it and then waits.
void end_frame(window_system& windows, bool ownwindow) {
  if (ownwindow) {
    windows.present_frame();
  } else {
    restore_console(windows);
  }
}

}  // namespace

map_layout layout_of(const screen_options& options) {
  return choose_map_layout(options.winsize.value_or(1), options.ownwindow.value_or(false));
}

map_placement place_map(std::span<const double> x, std::span<const double> y,
                        const map_layout& layout) {
  map_placement placement{};
  placement.x_range = finite_range(x);
  placement.y_range = finite_range(y);
  const value_range& x_range = placement.x_range;
  const value_range& y_range = placement.y_range;
  placement.wx2 = x_range.min + (x_range.max - x_range.min) * (layout.width - 7) /
                                    static_cast<double>(layout.height - 7);
  placement.x_fault = placement_fault(x, x_range, placement.wx2);
  placement.y_fault = placement_fault(y, y_range, y_range.max);
  placement.viewport = {4, 4, layout.width - 3, layout.height - 3};
  placement.world = {true, x_range.min, y_range.min, placement.wx2, y_range.max};
  return placement;
}

bool draws_cells(const map_placement& placement, const value_range& range) {
  return range.finite_count > 0 && range.max - range.min != 0 && placement.cells_drawn();
}

void render_screen_map(screen_map_source source, const screen_options& options) {
  const map_texts texts = prepare_map_texts(options);
  const bool update = options.update.value_or(false);
  const bool ownwindow = options.ownwindow.value_or(false);
  const map_layout layout = layout_of(options);
  renderer_state& shared = state();
  std::scoped_lock lock(shared.drawing);
  window_system& windows = current_window_system();
  if (!ownwindow && !windows.has_console())
    throw std::logic_error(
        "screen_map: ownwindow false waits for Enter on the console, and a screen_session has "
        "no console; pass ownwindow = true");

  if (ownwindow) {
    if (!update) {
      ++shared.window_counter;
      windows.open_graphics_window(shared.window_counter, texts.title.trimmed());
    }
    windows.focus_graphics_window(shared.window_counter);
  }
  if (!update) prepare_window(windows, layout);

  // The checks below end the call early: in the console window the map is
  // then left like a drawn one, and the line saying why appears once the
  // console is text again.
  const auto give_up = [&](const std::string& why) {
    end_frame(windows, ownwindow);
    write_console({std::string_view(why)});
  };
  if (const std::string why = unusable_grid(source.x.size(), source.y.size(), source.value_count);
      !why.empty()) {
    give_up(why);
    return;
  }

  const map_placement placement = place_map(source.x, source.y, layout);
  if (placement.x_fault != coordinate_fault::none)
    write_console({coordinate_warning(placement.x_fault, 'x')});
  if (placement.y_fault != coordinate_fault::none)
    write_console({coordinate_warning(placement.y_fault, 'y')});
  const pixel_rectangle& viewport = placement.viewport;
  const world_window& world = placement.world;
  windows.set_viewport(viewport.left, viewport.top, viewport.right, viewport.bottom);
  windows.set_world_window(world.y_upwards, world.x1, world.y1, world.x2, world.y2);

  // The caller's values are only read: one pass for the range, and one copy
  // for the layer once the map is certain to be drawn.
  const value_range z_range = source.scale_range();
  if (z_range.finite_count == 0) {
    give_up(non_finite_warning(z_range));
    return;
  }
  if (z_range.finite_count < z_range.total_count) write_console({non_finite_warning(z_range)});
  if (z_range.max - z_range.min == 0) {
    windows.present_frame();
    return;
  }

  // Cells over coordinates without spread get no pixels; a coordinate that is
  // not finite would leave some drawn and some not, so none are.
  if (draws_cells(placement, z_range))
    windows.draw_map(source.kept_map(std::move(source.x), std::move(source.y), z_range, placement));

  draw_legend(windows,
              {.layout = layout,
               .xmin = placement.x_range.min,
               .xmax = placement.x_range.max,
               .wx2 = placement.wx2,
               .ymin = placement.y_range.min,
               .ymax = placement.y_range.max,
               .zmin = z_range.min,
               .zmax = z_range.max,
               // x(nx) for increasing x; for decreasing x, x(nx) is the left
               // edge and a box from there would black out the map.
               .map_right_edge = placement.x_range.max,
               .texts = texts,
               .update = update},
              shared.previous_pixel_width);

  end_frame(windows, ownwindow);
}

template <class Value>
void render_screen_map(std::span<const Value> x_values, std::span<const Value> y_values,
                       std::span<const Value> z, const screen_options& options) {
  checked_cell_count(x_values.size(), y_values.size(), sizeof(Value));
  const bool logscale = options.logscale.value_or(false);
  // Coordinates widened exactly: the map keeps them, and all placement is in
  // double precision.
  render_screen_map({.x = std::vector<double>(x_values.begin(), x_values.end()),
                     .y = std::vector<double>(y_values.begin(), y_values.end()),
                     .value_count = z.size(),
                     .scale_range = [&] { return scale_range(z, logscale); },
                     .kept_map =
                         [&](std::vector<double> x, std::vector<double> y, const value_range& range,
                             const map_placement& placement) {
                           // A map none of whose cells reaches a pixel is handed on without
                           // its values: copying a huge grid that draws nothing would cost
                           // its size.
                           const bool drawn =
                               placement.x_fault != coordinate_fault::no_spread &&
                               placement.y_fault != coordinate_fault::no_spread &&
                               find_cells_under_pixels(x, y, placement.viewport, placement.world,
                                                       placement.viewport)
                                   .reach()
                                   .has_value();
                           return make_map_data(std::move(x), std::move(y), drawn ? z : z.first(0),
                                                range, logscale);
                         }},
                    options);
}

template void render_screen_map(std::span<const float>, std::span<const float>,
                                std::span<const float>, const screen_options&);
template void render_screen_map(std::span<const double>, std::span<const double>,
                                std::span<const double>, const screen_options&);

}  // namespace mapplot
