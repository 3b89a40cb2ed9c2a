// Every call the served windows make into the inspection model is here, made
// as a graphics window makes it.
#include "platform/served/served_inspection.hpp"

#include <cmath>
#include <utility>

#include "platform/map_pixels.hpp"

namespace mapplot {
namespace {

bool inside(const pixel_rectangle& area, pixel_point point) {
  return point.x >= area.left && point.x <= area.right && point.y >= area.top &&
         point.y <= area.bottom;
}

inspection_view view_of(const world_window& world) {
  return {world.x1, world.y1, world.x2, world.y2};
}

bool usable_view(const inspection_view& view) {
  const long double width = view.x2 - view.x1, height = view.y2 - view.y1;
  return std::isfinite(width) && std::isfinite(height) && width != 0 && height != 0;
}

// The page answers the program's keys, and saves (downloads) what it shows.
constexpr key_set page_keys{.program_frames = true, .save = true};

}  // namespace

served_inspection::served_inspection() = default;
served_inspection::~served_inspection() = default;
served_inspection::served_inspection(served_inspection&&) noexcept = default;
served_inspection& served_inspection::operator=(served_inspection&&) noexcept = default;

void served_inspection::follow(const std::optional<placed_map>& placed) {
  // Only maps drawn y upwards, as the screen map draws them, are inspected.
  if (!placed || !placed->map || !placed->world.y_upwards || !usable_view(view_of(placed->world))) {
    placed_.reset();
    map_.reset();
    inspection_.drag_from.reset();
    return;
  }
  if (placed_ && placed_->map == placed->map && placed_->viewport == placed->viewport) return;
  const pixel_rectangle& viewport = placed->viewport;
  const auto reach =
      find_cells_under_pixels(*placed->map, viewport, placed->world, normalised(viewport)).reach();
  if (!reach) {
    placed_.reset();
    map_.reset();
    return;
  }
  const inspection_view whole = view_of(placed->world);
  map_ = inspected_values(placed->map, whole);
  if (!placed_) {
    inspection_.whole = whole;
    inspection_.view = whole;
  } else {
    // A camera: the same part of the program's picture stays in view.
    follow_whole(inspection_, whole);
  }
  map_area_ = *reach;
  placed_ = placed;
}

bool served_inspection::zoomed() const {
  return map_ != nullptr && mapplot::zoomed(inspection_);
}

void served_inspection::hover(pixel_point pixel) {
  if (map_ && inside(map_area_, pixel)) {
    inspection_.cursor = pixel;
  } else {
    inspection_.cursor.reset();
  }
}

void served_inspection::leave() {
  inspection_.cursor.reset();
}

bool served_inspection::wheel(pixel_point pixel, double notches) {
  if (!map_ || notches == 0) return false;
  const inspection_view before = inspection_.view;
  zoom_around(inspection_, *map_, placed_->viewport, pixel, notches);
  hover(pixel);
  return !(before == inspection_.view);
}

void served_inspection::press(pixel_point pixel) {
  if (!map_) return;
  start_drag(inspection_, pixel);
}

bool served_inspection::drag(pixel_point pixel) {
  if (!map_ || !inspection_.drag_from) return false;
  const inspection_view before = inspection_.view;
  drag_to(inspection_, *map_, placed_->viewport, pixel);
  return !(before == inspection_.view);
}

void served_inspection::release() {
  end_drag(inspection_);
}

bool served_inspection::home() {
  if (!map_) return false;
  const bool was_zoomed = zoomed();
  reset_view(inspection_);
  return was_zoomed;
}

QImage served_inspection::composed(const QImage& frame) const {
  if (!zoomed() || frame.isNull()) return frame;
  QImage picture = frame.convertToFormat(QImage::Format_RGB32);
  // Drawn again from the values, never scaled, over the map's background.
  paint_view(inspection_, *map_, placed_->viewport, map_area_,
             {reinterpret_cast<argb_pixel*>(picture.bits()), picture.width(), picture.height(),
              picture.bytesPerLine() / static_cast<qsizetype>(sizeof(argb_pixel))});
  return picture;
}

std::vector<std::string> served_inspection::strip(const strip_state& state) const {
  const pixel_rectangle viewport = placed_ ? placed_->viewport : pixel_rectangle{};
  return strip_lines(inspection_, map_.get(), viewport, state);
}

std::vector<std::string> served_help_lines() {
  return help_lines(page_keys);
}

}  // namespace mapplot
