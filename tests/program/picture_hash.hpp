#pragma once

#include <cstddef>
#include <cstdint>

namespace mapplot::testing {

// A fingerprint of a picture's colours (alpha left out), so that a window
// captured from the screen can be matched with a presented frame.
inline std::uint64_t picture_hash(const std::uint32_t* pixels, std::size_t count) {
  std::uint64_t hash = 1469598103934665603ull;
  for (std::size_t i = 0; i < count; ++i) {
    hash ^= pixels[i] & 0xffffffu;
    hash *= 1099511628211ull;
  }
  return hash;
}

}  // namespace mapplot::testing
