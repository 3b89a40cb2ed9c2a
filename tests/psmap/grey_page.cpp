#include "grey_page.hpp"

#include <png.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <set>
#include <utility>

namespace mapplot {

std::optional<grey_page> render_postscript(const std::string& path) {
  const std::string output = path + ".pgm";
  const std::string command =
      "gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=pgmraw -r72 -sOutputFile='" + output + "' '" +
      path + "' 2>/dev/null";
  if (std::system(command.c_str()) != 0) return std::nullopt;
  std::ifstream file(output, std::ios::binary);
  std::string magic;
  grey_page page;
  int maximum = 0;
  file >> magic;
  // Ghostscript writes a comment line after the magic number.
  while (file >> std::ws && file.peek() == '#') file.ignore(1 << 16, '\n');
  file >> page.width >> page.height >> maximum;
  file.get();
  if (!file || magic != "P5" || maximum != 255 || page.width <= 0 || page.height <= 0)
    return std::nullopt;
  page.pixels.resize(static_cast<std::size_t>(page.width) * page.height);
  file.read(reinterpret_cast<char*>(page.pixels.data()),
            static_cast<std::streamsize>(page.pixels.size()));
  if (!file) return std::nullopt;
  return page;
}

std::optional<grey_page> read_png(const std::string& path) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return std::nullopt;
  image.format = PNG_FORMAT_GRAY;
  grey_page page{.width = static_cast<int>(image.width),
                 .height = static_cast<int>(image.height),
                 .pixels = std::vector<unsigned char>(PNG_IMAGE_SIZE(image))};
  if (!png_image_finish_read(&image, nullptr, page.pixels.data(), 0, nullptr)) {
    png_image_free(&image);
    return std::nullopt;
  }
  return page;
}

std::optional<point> largest_solid_area_centre(const grey_page& page, int low, int high,
                                               int radius) {
  const auto in_band = [&](int x, int y) {
    const int level = page.at(x, y);
    return level >= low && level <= high;
  };
  const auto index = [&](int x, int y) { return static_cast<std::size_t>(y) * page.width + x; };
  std::vector<char> solid(page.pixels.size(), 0);
  for (int y = radius; y < page.height - radius; ++y) {
    for (int x = radius; x < page.width - radius; ++x) {
      bool all = true;
      for (int dy = -radius; dy <= radius && all; ++dy)
        for (int dx = -radius; dx <= radius && all; ++dx) all = in_band(x + dx, y + dy);
      solid[index(x, y)] = all;
    }
  }
  std::optional<point> best;
  std::size_t best_size = 0;
  std::vector<std::pair<int, int>> pending;
  for (int y = 0; y < page.height; ++y) {
    for (int x = 0; x < page.width; ++x) {
      if (!solid[index(x, y)]) continue;
      double sum_x = 0, sum_y = 0;
      std::size_t size = 0;
      solid[index(x, y)] = 0;
      pending.assign(1, {x, y});
      while (!pending.empty()) {
        const auto [px, py] = pending.back();
        pending.pop_back();
        sum_x += px;
        sum_y += py;
        ++size;
        for (const auto& [nx, ny] : {std::pair{px + 1, py}, std::pair{px - 1, py},
                                     std::pair{px, py + 1}, std::pair{px, py - 1}}) {
          if (nx < 0 || ny < 0 || nx >= page.width || ny >= page.height) continue;
          if (!solid[index(nx, ny)]) continue;
          solid[index(nx, ny)] = 0;
          pending.push_back({nx, ny});
        }
      }
      if (size > best_size) {
        best_size = size;
        best = point{sum_x / size, sum_y / size};
      }
    }
  }
  return best;
}

int grey_levels_in(const grey_page& page, int left, int top, int right, int bottom) {
  std::set<unsigned char> levels;
  for (int y = std::max(top, 0); y < std::min(bottom, page.height); ++y)
    for (int x = std::max(left, 0); x < std::min(right, page.width); ++x)
      levels.insert(page.at(x, y));
  return static_cast<int>(levels.size());
}

}  // namespace mapplot
