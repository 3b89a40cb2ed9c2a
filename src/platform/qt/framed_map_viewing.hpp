#pragma once

#include <QImage>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/qt/window_canvas.hpp"
#include "platform/viewing/map_viewing.hpp"

namespace mapplot {

// The user's view of the map a window's latest frame shows, through the one
// map-viewing model: a graphics window and each viewer of a served window
// keep one, so that their readout, zoom, pan, Home and help answer alike.
// Pixels are the frame's own.
class framed_map_viewing {
 public:
  framed_map_viewing();
  ~framed_map_viewing();
  framed_map_viewing(framed_map_viewing&&) noexcept;
  framed_map_viewing& operator=(framed_map_viewing&&) noexcept;

  // Takes the map a new frame shows; the user's view carries over as a camera.
  void follow(const std::optional<placed_map>& placed);
  // Whether the frame shows a map that can be viewed.
  bool has_map() const { return map_ != nullptr; }
  bool zoomed() const;
  bool help_shown() const { return viewing_.help_shown; }
  void show_help(bool shown) { viewing_.help_shown = shown; }

  // Each of these that can change the picture answers whether it did.
  void hover(pixel_point pixel);
  void leave();
  bool wheel(pixel_point pixel, double notches);
  void press(pixel_point pixel);
  bool drag(pixel_point pixel);
  void release();
  bool home();

  // The frame as the user sees it: the map drawn again through their view
  // from the kept values, at the frame's pixels.
  QImage composed(const QImage& frame) const;
  std::vector<std::string> strip(const strip_state& state) const;

 private:
  std::optional<placed_map> placed_;  // the map viewed, with a non-empty area
  pixel_rectangle map_area_{};        // the pixels its cells cover as the program drew it
  std::unique_ptr<viewed_map> map_;
  map_viewing viewing_;
};

}  // namespace mapplot
