#pragma once

#include <optional>
#include <string>
#include <vector>

namespace mapplot {

// A rendered page of grey levels, 0 black to 255 white, row 0 at the top.
struct grey_page {
  int width = 0;
  int height = 0;
  std::vector<unsigned char> pixels;

  unsigned char at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// The first page of a PostScript file rendered by Ghostscript at 72 dpi.
std::optional<grey_page> render_postscript(const std::string& path);
// A PNG file decoded to grey levels.
std::optional<grey_page> read_png(const std::string& path);

struct point {
  double x;
  double y;
};

// The centre of the largest connected solid area whose grey levels lie in
// [low, high]. Solid pixels have their whole neighbourhood of the given
// radius in the band, so thin lines and text drop out. Empty when there is
// no such area.
std::optional<point> largest_solid_area_centre(const grey_page& page, int low, int high,
                                               int radius);

// How many different grey levels the pixels with left <= x < right and
// top <= y < bottom hold (clipped to the page).
int grey_levels_in(const grey_page& page, int left, int top, int right, int bottom);

}  // namespace mapplot
