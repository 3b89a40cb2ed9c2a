#pragma once

#include <cstddef>
#include <string_view>

namespace mapplot {

// Where to cut `text` so that at most `limit` bytes stay before the cut and no
// UTF-8 character is split: at `limit`, or before the character that would
// straddle it. Bytes that are not valid UTF-8 are cut where they fall, and the
// cut never moves back to 0 while `limit` is above 0, so a caller that
// cuts pieces always makes progress.
inline std::size_t utf8_cut(std::string_view text, std::size_t limit) {
  if (limit >= text.size()) return text.size();
  const auto continues = [&](std::size_t at) {
    return (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80;
  };
  // A character has at most three continuation bytes.
  std::size_t cut = limit;
  while (cut > 0 && limit - cut < 3 && continues(cut)) --cut;
  if (continues(cut) || cut == 0) return limit;
  return cut;
}

}  // namespace mapplot
