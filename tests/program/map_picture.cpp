#include "map_picture.hpp"

#include <set>

namespace mapplot::testing {
namespace {

constexpr int layout_width = 580;
constexpr int layout_height = 270;

bool is_colour(QRgb pixel, int red, int green, int blue) {
  return qRed(pixel) == red && qGreen(pixel) == green && qBlue(pixel) == blue;
}

}  // namespace

std::string check_julia_window(const QImage& picture, int left, int top) {
  const auto at = [&](int x, int y) { return picture.pixel(left + x, top + y); };
  if (picture.width() < left + layout_width || picture.height() < top + layout_height + 1)
    return "picture too small for the 580 x 270 layout";

  // The purple frame runs from (1, 1) to (270, 270).
  for (int i = 1; i <= layout_height; i += 13) {
    if (!is_colour(at(i, 1), 128, 0, 128) || !is_colour(at(1, i), 128, 0, 128))
      return "frame of the map area is not purple at " + std::to_string(i);
  }
  if (!is_colour(at(2, 2), 0, 0, 0)) return "gap inside the frame is not black";

  // The map fills the square inside the frame with grey cells of several levels.
  std::set<int> levels;
  for (int y = 6; y <= layout_height - 6; y += 3) {
    for (int x = 6; x <= layout_height - 6; x += 3) {
      const QRgb pixel = at(x, y);
      if (qRed(pixel) != qGreen(pixel) || qGreen(pixel) != qBlue(pixel))
        return "map pixel (" + std::to_string(x) + ", " + std::to_string(y) + ") is not grey";
      levels.insert(qRed(pixel));
    }
  }
  if (levels.size() < 2) return "the map is a single grey level";

  // White legend text to the right of the map, in its first group of lines.
  int white = 0;
  for (int y = 20; y < 90; ++y) {
    for (int x = layout_height + 15; x < layout_width - 3; ++x)
      if (is_colour(at(x, y), 255, 255, 255)) ++white;
  }
  if (white < 30) return "no legend text beside the map";
  return {};
}

}  // namespace mapplot::testing
