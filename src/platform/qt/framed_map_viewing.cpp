#include "platform/qt/framed_map_viewing.hpp"

#include <cmath>
#include <utility>

#include "platform/map_pixels.hpp"

namespace mapplot {
namespace {

bool inside(const pixel_rectangle& area, pixel_point point) {
  return point.x >= area.left && point.x <= area.right && point.y >= area.top &&
         point.y <= area.bottom;
}

plane_view view_of(const world_window& world) {
  return {world.x1, world.y1, world.x2, world.y2};
}

}  // namespace

framed_map_viewing::framed_map_viewing() = default;
framed_map_viewing::~framed_map_viewing() = default;
framed_map_viewing::framed_map_viewing(framed_map_viewing&&) noexcept = default;
framed_map_viewing& framed_map_viewing::operator=(framed_map_viewing&&) noexcept = default;

void framed_map_viewing::follow(const std::optional<placed_map>& placed) {
  // Only maps drawn y upwards, as the screen map draws them, are viewed.
  if (!placed || !placed->map || !placed->world.y_upwards || !has_extent(view_of(placed->world))) {
    placed_.reset();
    map_.reset();
    viewing_.drag_from.reset();
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
  const plane_view whole = view_of(placed->world);
  map_ = viewed_values(placed->map, whole);
  if (!placed_) {
    viewing_.whole = whole;
    viewing_.view = whole;
  } else {
    // A camera: the same part of the program's picture stays in view.
    follow_whole(viewing_, whole);
  }
  map_area_ = *reach;
  placed_ = placed;
}

bool framed_map_viewing::zoomed() const {
  return map_ != nullptr && mapplot::zoomed(viewing_);
}

void framed_map_viewing::hover(pixel_point pixel) {
  if (map_ && inside(map_area_, pixel)) {
    viewing_.cursor = pixel;
  } else {
    viewing_.cursor.reset();
  }
}

void framed_map_viewing::leave() {
  viewing_.cursor.reset();
}

bool framed_map_viewing::wheel(pixel_point pixel, double notches) {
  if (!map_ || notches == 0) return false;
  const plane_view before = viewing_.view;
  zoom_around(viewing_, *map_, placed_->viewport, pixel, notches);
  hover(pixel);
  return !(before == viewing_.view);
}

void framed_map_viewing::press(pixel_point pixel) {
  if (!map_) return;
  start_drag(viewing_, pixel);
}

bool framed_map_viewing::drag(pixel_point pixel) {
  if (!map_ || !viewing_.drag_from) return false;
  const plane_view before = viewing_.view;
  drag_to(viewing_, *map_, placed_->viewport, pixel);
  return !(before == viewing_.view);
}

void framed_map_viewing::release() {
  end_drag(viewing_);
}

bool framed_map_viewing::home() {
  if (!map_) return false;
  const bool was_zoomed = zoomed();
  reset_view(viewing_);
  return was_zoomed;
}

QImage framed_map_viewing::composed(const QImage& frame) const {
  if (!zoomed() || frame.isNull()) return frame;
  QImage picture = frame.convertToFormat(QImage::Format_RGB32);
  // Drawn again from the values, never scaled, over the map's background.
  paint_view(viewing_, *map_, placed_->viewport, map_area_,
             {reinterpret_cast<argb_pixel*>(picture.bits()), picture.width(), picture.height(),
              picture.bytesPerLine() / static_cast<qsizetype>(sizeof(argb_pixel))});
  return picture;
}

std::vector<std::string> framed_map_viewing::strip(const strip_state& state) const {
  const pixel_rectangle viewport = placed_ ? placed_->viewport : pixel_rectangle{};
  return strip_lines(viewing_, map_.get(), viewport, state);
}

}  // namespace mapplot
