#include "julia_zoom/frame_picture.hpp"

#include <stdexcept>
#include <string>

namespace mapplot {

void check_frame_picture(const frame_picture& frame) {
  if (frame.width <= 0 || frame.height <= 0) {
    throw std::invalid_argument("a frame of " + std::to_string(frame.width) + " x " +
                                std::to_string(frame.height) + " pixels has no picture");
  }
  // Both sides are positive ints, so their product fits in 64 bits.
  const auto needed =
      static_cast<std::uint64_t>(frame.width) * static_cast<std::uint64_t>(frame.height);
  if (frame.pixels.size() < needed) {
    throw std::invalid_argument("a frame of " + std::to_string(frame.width) + " x " +
                                std::to_string(frame.height) + " pixels came with only " +
                                std::to_string(frame.pixels.size()) + " pixels");
  }
}

}  // namespace mapplot
