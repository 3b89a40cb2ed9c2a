#pragma once

#include <QImage>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/inspection/map_inspection.hpp"
#include "platform/qt/window_canvas.hpp"

namespace mapplot {

// One viewer's inspection of one served window: the user's view of the map
// the latest frame shows, through the one inspection model the windows use,
// so that the page's readout, zoom, pan, Home and help answer exactly what a
// graphics window would. Pixels are the frame's own.
class served_inspection {
 public:
  served_inspection();
  ~served_inspection();
  served_inspection(served_inspection&&) noexcept;
  served_inspection& operator=(served_inspection&&) noexcept;

  // Takes the map a new frame shows; the user's view carries over as a camera.
  void follow(const std::optional<placed_map>& placed);
  bool zoomed() const;

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
  std::optional<placed_map> placed_;  // the map inspected, with a non-empty area
  pixel_rectangle map_area_{};        // the pixels its cells cover as the program drew it
  std::unique_ptr<inspected_map> map_;
  map_inspection inspection_;
};

// The keys the page answers, as the model words them.
std::vector<std::string> served_help_lines();

}  // namespace mapplot
