// Every call the served windows make into the inspection model is here.
#include "platform/served/served_inspection.hpp"

#include <utility>

namespace mapplot {

served_inspection::served_inspection() = default;
served_inspection::~served_inspection() = default;
served_inspection::served_inspection(served_inspection&&) noexcept = default;
served_inspection& served_inspection::operator=(served_inspection&&) noexcept = default;

void served_inspection::follow(const std::optional<placed_map>& placed) {
  // Only maps drawn y upwards, as the screen map draws them, are inspected.
  if (!placed || !placed->map || !placed->world.y_upwards) {
    placed_.reset();
    map_.reset();
    inspection_ = {};
    return;
  }
  if (placed_ && placed_->map == placed->map && placed_->viewport == placed->viewport) return;
  const bool following = map_ != nullptr;
  placed_ = placed;
  map_ = inspected_values(placed->map);
  if (following) {
    follow_whole(inspection_, map_->whole());
  } else {
    inspection_ = inspection_of(*map_);
  }
}

bool served_inspection::zoomed() const {
  return map_ != nullptr && mapplot::zoomed(inspection_);
}

bool served_inspection::inside(pixel_point pixel) const {
  const pixel_rectangle& area = placed_->viewport;
  return pixel.x >= area.left && pixel.x <= area.right && pixel.y >= area.top &&
         pixel.y <= area.bottom;
}

void served_inspection::hover(pixel_point pixel) {
  if (!map_) return;
  if (inside(pixel)) {
    inspection_.cursor = pixel;
  } else {
    inspection_.cursor.reset();
  }
}

void served_inspection::leave() {
  if (!map_) return;
  inspection_.cursor.reset();
}

bool served_inspection::wheel(pixel_point pixel, double notches) {
  if (!map_ || !inside(pixel)) return false;
  const inspection_view before = inspection_.view;
  zoom_around(inspection_, *map_, placed_->viewport, pixel, notches);
  inspection_.cursor = pixel;
  return !(before == inspection_.view);
}

void served_inspection::press(pixel_point pixel) {
  if (!map_ || !inside(pixel)) return;
  start_drag(inspection_, pixel);
}

bool served_inspection::drag(pixel_point pixel) {
  if (!map_ || !inspection_.drag_from) return false;
  const inspection_view before = inspection_.view;
  drag_to(inspection_, *map_, placed_->viewport, pixel);
  inspection_.cursor = inside(pixel) ? std::optional(pixel) : std::nullopt;
  return !(before == inspection_.view);
}

void served_inspection::release() {
  if (!map_) return;
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
  paint_view(inspection_, *map_, placed_->viewport,
             {reinterpret_cast<argb_pixel*>(picture.bits()), picture.width(), picture.height(),
              picture.bytesPerLine() / static_cast<qsizetype>(sizeof(argb_pixel))});
  return picture;
}

std::vector<std::string> served_inspection::strip(const strip_state& state) const {
  if (!map_) {
    std::vector<std::string> lines(strip_line_count);
    lines.back() = state.paused ? "paused" : state.notice;
    return lines;
  }
  return strip_lines(inspection_, *map_, placed_->viewport, state);
}

std::vector<std::string> served_help_lines() {
  return help_lines({.program_frames = true, .save = true});
}

}  // namespace mapplot
