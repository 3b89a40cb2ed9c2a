#include "psmap/plot_completeness.hpp"

#include <algorithm>
#include <cstdint>
#include <string_view>

namespace mapplot {
namespace {

using bytes = std::span<const unsigned char>;

std::string_view as_text(bytes contents) {
  return {reinterpret_cast<const char*>(contents.data()), contents.size()};
}

// PGPLOT ends its text formats with a line of their own, line end included.
bool ends_with_line(bytes contents, std::string_view last) {
  const std::string_view text = as_text(contents);
  return text.ends_with('\n') && text.substr(0, text.size() - 1).ends_with(last);
}

std::uint32_t big_endian(bytes at) {
  return (std::uint32_t{at[0]} << 24) | (std::uint32_t{at[1]} << 16) | (std::uint32_t{at[2]} << 8) |
         std::uint32_t{at[3]};
}

// Signature, then chunks of length, type, data and checksum, the last IEND.
bool is_whole_png(bytes contents) {
  static constexpr unsigned char signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  if (contents.size() < sizeof signature || !std::equal(signature, signature + 8, contents.begin()))
    return false;
  std::size_t at = sizeof signature;
  while (contents.size() - at >= 12) {
    const std::uint64_t length = big_endian(contents.subspan(at));
    const std::string_view type = as_text(contents.subspan(at + 4, 4));
    if (length > contents.size() - at - 12) return false;
    at += 12 + length;
    if (type == "IEND") return at == contents.size();
  }
  return false;
}

// Sub-blocks: a size byte and that many bytes, up to a size of zero.
bool skip_sub_blocks(bytes contents, std::size_t& at) {
  while (at < contents.size()) {
    const std::size_t size = contents[at++];
    if (size == 0) return true;
    if (size > contents.size() - at) return false;
    at += size;
  }
  return false;
}

bool skip_colour_table(bytes contents, std::size_t& at, unsigned char flags) {
  if ((flags & 0x80) == 0) return true;
  const std::size_t size = 3u << ((flags & 0x07) + 1);
  if (size > contents.size() - at) return false;
  at += size;
  return true;
}

// Header, screen descriptor and colour table, then extensions and images,
// then the trailer byte as the file's last.
bool is_whole_gif(bytes contents) {
  const std::string_view text = as_text(contents);
  if (!text.starts_with("GIF87a") && !text.starts_with("GIF89a")) return false;
  if (contents.size() < 13) return false;
  std::size_t at = 13;
  if (!skip_colour_table(contents, at, contents[10])) return false;
  while (at < contents.size()) {
    const unsigned char block = contents[at++];
    if (block == 0x3b) return at == contents.size();
    if (block == 0x21) {
      if (at >= contents.size()) return false;
      ++at;  // the extension's label
      if (!skip_sub_blocks(contents, at)) return false;
    } else if (block == 0x2c) {
      if (contents.size() - at < 10) return false;
      const unsigned char flags = contents[at + 8];
      at += 9;
      if (!skip_colour_table(contents, at, flags)) return false;
      if (at >= contents.size()) return false;
      ++at;  // the LZW code size
      if (!skip_sub_blocks(contents, at)) return false;
    } else {
      return false;
    }
  }
  return false;
}

}  // namespace

bool is_complete_plot(plot_output output, std::span<const unsigned char> contents) {
  switch (output) {
    case plot_output::postscript:
      return as_text(contents).starts_with("%!PS") && ends_with_line(contents, "%%EOF");
    case plot_output::latex:
      return ends_with_line(contents, "\\end{picture}");
    case plot_output::png:
      return is_whole_png(contents);
    case plot_output::gif:
      return is_whole_gif(contents);
    case plot_output::nothing:
    case plot_output::screen:
      break;
  }
  return false;
}

}  // namespace mapplot
