#include "platform/qt/canvas_drawing.hpp"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>

#include "platform/map_pixels.hpp"

namespace mapplot {
namespace {

QRgb to_pixel(rgb_color color) {
  return qRgb(color.red, color.green, color.blue);
}

std::optional<pixel_rectangle> inside_image(const QImage& image, pixel_rectangle rectangle) {
  if (image.isNull()) return std::nullopt;
  return clipped(rectangle, {0, 0, image.width() - 1, image.height() - 1});
}

QFont monospace_font(const font_choice& choice) {
  // The legend and console fonts are cell fonts; one monospace face serves all.
  QFont font(QStringLiteral("DejaVu Sans Mono"));
  font.setStyleHint(QFont::Monospace);
  font.setPixelSize(choice.height);
  // Plain pixels in the exact colour, as a cell font would give.
  font.setStyleStrategy(QFont::NoAntialias);
  return font;
}

}  // namespace

void grow_canvas(QImage& image, int width, int height) {
  width = std::clamp(width, 0, canvas_extent_limit);
  height = std::clamp(height, 0, canvas_extent_limit);
  const int old_width = image.isNull() ? 0 : image.width();
  const int old_height = image.isNull() ? 0 : image.height();
  if (width <= old_width && height <= old_height) return;
  QImage larger(std::max(width, old_width), std::max(height, old_height), QImage::Format_RGB32);
  larger.fill(Qt::black);
  if (!image.isNull()) {
    QPainter painter(&larger);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(0, 0, image);
  }
  image = std::move(larger);
}

void grow_canvas_to_hold(QImage& image, pixel_rectangle rectangle) {
  rectangle = normalised(rectangle);
  if (rectangle.right < 0 || rectangle.bottom < 0) return;
  grow_canvas(image, rectangle.right + 1, rectangle.bottom + 1);
}

void fill_pixels(QImage& image, pixel_rectangle rectangle, rgb_color color) {
  const auto area = inside_image(image, rectangle);
  if (!area) return;
  const QRgb pixel = to_pixel(color);
  for (int row = area->top; row <= area->bottom; ++row) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(row));
    std::fill(line + area->left, line + area->right + 1, pixel);
  }
}

void draw_map_pixels(QImage& image, const map_data& map, const pixel_rectangle& viewport,
                     const world_window& world, pixel_rectangle clip) {
  const cells_under_pixels cells = find_cells_under_pixels(map, viewport, world, clip);
  const auto reach = cells.reach();
  if (!reach) return;
  grow_canvas_to_hold(image, *reach);
  if (image.isNull()) return;
  // The image's rows addressed directly: one detach check for the whole map.
  paint_map(map, cells,
            {reinterpret_cast<argb_pixel*>(image.bits()), image.width(), image.height(),
             image.bytesPerLine() / static_cast<qsizetype>(sizeof(argb_pixel))});
}

void outline_pixels(QImage& image, pixel_rectangle rectangle, pixel_rectangle clip,
                    rgb_color color) {
  rectangle = normalised(rectangle);
  const pixel_rectangle edges[] = {
      {rectangle.left, rectangle.top, rectangle.right, rectangle.top},
      {rectangle.left, rectangle.bottom, rectangle.right, rectangle.bottom},
      {rectangle.left, rectangle.top, rectangle.left, rectangle.bottom},
      {rectangle.right, rectangle.top, rectangle.right, rectangle.bottom},
  };
  for (const auto& edge : edges) {
    if (const auto visible = clipped(edge, clip)) fill_pixels(image, *visible, color);
  }
}

void draw_text_pixels(QImage& image, pixel_point position, std::string_view text,
                      const font_choice& font, pixel_rectangle clip, rgb_color color) {
  if (image.isNull() || text.empty()) return;
  const auto visible = inside_image(image, clip);
  if (!visible) return;
  const QFont qt_font = monospace_font(font);
  const QFontMetricsF metrics(qt_font);
  const double natural_width = metrics.horizontalAdvance(QLatin1Char('0'));
  const double stretch = natural_width > 0 ? font.width / natural_width : 1.0;

  QPainter painter(&image);
  painter.setClipRect(
      QRect(QPoint(visible->left, visible->top), QPoint(visible->right, visible->bottom)));
  painter.setFont(qt_font);
  painter.setPen(QColor(color.red, color.green, color.blue));
  painter.setBackgroundMode(Qt::TransparentMode);
  painter.translate(position.x, position.y);
  painter.scale(stretch, 1.0);
  painter.drawText(QPointF(0, metrics.ascent()),
                   QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

}  // namespace mapplot
