#include "recorded_frames.hpp"

#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "../program/child_process.hpp"

namespace mapplot::testing {

int bar_column(int width, int number) {
  return (11 * number) % (width - 24);
}

std::vector<std::uint32_t> synthetic_frame(int width, int height, int number) {
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
  const int bar = bar_column(width, number);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const bool left = x < width / 2, top = y < height / 2;
      std::uint32_t colour =
          top ? (left ? 0xffff0000 : 0xff00ff00) : (left ? 0xff0000ff : 0xffffffff);
      if (x >= bar && x < bar + 8) colour = 0xff000000;
      pixels[static_cast<std::size_t>(y) * width + x] = colour;
    }
  }
  return pixels;
}

video_facts probe_video(const std::string& path) {
  const auto result = run_process(
      {.arguments = {"ffprobe", "-v", "error", "-count_frames", "-select_streams", "v:0",
                     "-show_entries",
                     "stream=codec_name,pix_fmt,width,height,r_frame_rate,nb_read_frames", "-of",
                     "default=noprint_wrappers=1", path}});
  video_facts facts;
  std::istringstream lines(result.standard_output);
  for (std::string line; std::getline(lines, line);) {
    const auto equals = line.find('=');
    const std::string key = line.substr(0, equals), value = line.substr(equals + 1);
    if (key == "codec_name") facts.codec = value;
    if (key == "pix_fmt") facts.pixel_format = value;
    if (key == "r_frame_rate") facts.frame_rate = value;
    if (key == "width") facts.width = std::stoi(value);
    if (key == "height") facts.height = std::stoi(value);
    if (key == "nb_read_frames") facts.frames = std::stoi(value);
  }
  return facts;
}

QImage decoded_frame(const std::string& video, int index) {
  const std::string picture = video + "-frame-" + std::to_string(index) + ".png";
  const auto result = run_process({.arguments = {"ffmpeg", "-v", "error", "-i", video, "-vf",
                                                 "select=eq(n\\," + std::to_string(index) + ")",
                                                 "-frames:v", "1", "-y", picture}});
  if (result.exit_status != 0) return {};
  QImage image(QString::fromStdString(picture));
  std::remove(picture.c_str());
  return image;
}

std::string compare_with_synthetic(const QImage& picture, int width, int height, int number) {
  if (picture.width() < width || picture.height() < height) return "the picture is too small";
  std::ostringstream differences;
  const auto expect = [&](int x, int y, QRgb wanted) {
    const QRgb seen = picture.pixel(x, y);
    const auto near = [](int a, int b) { return std::abs(a - b) <= 48; };
    if (!near(qRed(seen), qRed(wanted)) || !near(qGreen(seen), qGreen(wanted)) ||
        !near(qBlue(seen), qBlue(wanted))) {
      differences << "(" << x << ", " << y << ") is " << std::hex << seen << " instead of "
                  << wanted << std::dec << "; ";
    }
  };
  // The middle of each quarter, clear of the bar.
  for (const int y : {height / 4, 3 * height / 4}) {
    for (const int x : {width / 8, 3 * width / 8, 5 * width / 8, 7 * width / 8}) {
      const int bar = bar_column(width, number);
      if (x >= bar - 8 && x < bar + 16) continue;
      const bool left = x < width / 2, top = y < height / 2;
      expect(x, y, top ? (left ? 0xffff0000 : 0xff00ff00) : (left ? 0xff0000ff : 0xffffffff));
    }
  }
  // The bar's middle is black; where the neighbouring frames put theirs is not.
  const int bar = bar_column(width, number);
  expect(bar + 4, height / 4, 0xff000000);
  for (const int other : {number - 1, number + 1}) {
    const int column = bar_column(width, other) + 4;
    if (column < bar - 4 || column > bar + 12) {
      if (qGray(picture.pixel(column, height / 4)) < 40)
        differences << "column " << column << " holds frame " << other << "'s bar; ";
    }
  }
  return differences.str();
}

}  // namespace mapplot::testing
