#include "platform/qt/canvas_drawing.hpp"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>

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

namespace {

// `rectangle`, corners in either order, cut to `bounds` (normalised); false
// when nothing of it is left. Written out here, as it runs for every cell.
inline bool cut_to(pixel_rectangle& rectangle, const pixel_rectangle& bounds) {
  const int left = std::max(std::min(rectangle.left, rectangle.right), bounds.left);
  const int right = std::min(std::max(rectangle.left, rectangle.right), bounds.right);
  const int top = std::max(std::min(rectangle.top, rectangle.bottom), bounds.top);
  const int bottom = std::min(std::max(rectangle.top, rectangle.bottom), bounds.bottom);
  rectangle = {left, top, right, bottom};
  return left <= right && top <= bottom;
}

}  // namespace

void fill_cells(QImage& image, std::span<const pixel_cell> cells, pixel_rectangle clip) {
  clip = normalised(clip);
  // The image grows only as far as the cells reach; one that holds the whole
  // clip rectangle already (as after set_viewport) cannot grow.
  const bool holds_clip =
      !image.isNull() && clip.right < image.width() && clip.bottom < image.height();
  if (!holds_clip) {
    pixel_rectangle reach{clip.right, clip.bottom, clip.left, clip.top};
    bool any_visible = false;
    for (const pixel_cell& cell : cells) {
      pixel_rectangle visible = cell.area;
      if (!cut_to(visible, clip)) continue;
      any_visible = true;
      reach = {std::min(reach.left, visible.left), std::min(reach.top, visible.top),
               std::max(reach.right, visible.right), std::max(reach.bottom, visible.bottom)};
    }
    if (!any_visible) return;
    grow_canvas_to_hold(image, reach);
  }
  const auto inside = inside_image(image, clip);
  if (!inside) return;

  // The image's rows addressed directly: one detach check for the whole batch.
  uchar* const bits = image.bits();
  const qsizetype row_bytes = image.bytesPerLine();
  for (const pixel_cell& cell : cells) {
    pixel_rectangle area = cell.area;
    if (!cut_to(area, *inside)) continue;
    const QRgb pixel = to_pixel(cell.color);
    for (int row = area.top; row <= area.bottom; ++row) {
      auto* line = reinterpret_cast<QRgb*>(bits + row * row_bytes);
      std::fill(line + area.left, line + area.right + 1, pixel);
    }
  }
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
