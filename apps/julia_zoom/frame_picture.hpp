#pragma once

#include <cstdint>
#include <span>

namespace mapplot {

// One presented frame of a window as the recorders take it: rows from top to
// bottom, each pixel 0xffRRGGBB. The pixels belong to the caller and are only
// read during the call they are passed to.
struct frame_picture {
  int width = 0;
  int height = 0;
  std::span<const std::uint32_t> pixels;
};

// Throws std::invalid_argument unless the size is positive and the pixels
// cover it, so that no recorder reads past what it was given.
void check_frame_picture(const frame_picture& frame);

}  // namespace mapplot
