#include "psmap/contal.hpp"

#include <array>
#include <string>

#include "psmap/pgplot_binding.hpp"

namespace mapplot {
namespace {

void draw_image(const plot_image& image, std::size_t nx, const pgplot::transform& tr) {
  // The caller has checked that the grid's cell count fits PGPLOT's int.
  const int columns = static_cast<int>(nx);
  const int rows = static_cast<int>(image.cells.size() / nx);
  const int rest = static_cast<int>(image.cells.size() % nx);
  if (rows > 0)
    pgplot::imag(image.cells, columns, rows, 1, columns, 1, rows, image.minimum, image.maximum, tr);
  if (rest > 0)
    pgplot::imag(image.cells, columns, rows + 1, 1, rest, rows + 1, rows + 1, image.minimum,
                 image.maximum, tr);
}

}  // namespace

bool contal(const plot_image& image, std::size_t nx, const axis_extent& x, const axis_extent& y,
            const postscript_fields& fields, std::string_view device_name) {
  const bool placed = x.fault == coordinate_fault::none && y.fault == coordinate_fault::none;
  if (pgplot::begin(0, device_name, 1, 1) != 1) return false;
  pgplot::scf(2);
  pgplot::slw(3);
  pgplot::svp(0.12f, 0.83f, 0.12f, 0.88f);
  pgplot::wnad(x.window_low, x.window_high, y.window_low, y.window_high);
  pgplot::bbuf();
  static constexpr std::array<float, 2> ramp_levels{0.0f, 1.0f};
  static constexpr std::array<float, 2> ramp_intensity{0.0f, 1.0f};
  pgplot::ctab(ramp_levels, ramp_intensity, ramp_intensity, ramp_intensity, 1.0f, 0.5f);
  if (placed) draw_image(image, nx, image_transform(x, y));
  pgplot::ebuf();
  pgplot::sci(0);
  pgplot::sci(1);
  pgplot::sls(1);
  pgplot::slw(1);
  pgplot::sci(1);
  if (placed) {
    const outline_polygon outline = outline_of(x, y);
    pgplot::line(outline.x, outline.y);
  }
  const auto box_options = [](const axis_extent& axis) {
    return axis.fault == coordinate_fault::none ? "bcnts" : "bc";
  };
  pgplot::box(box_options(x), 0.0f, 0, box_options(y), 0.0f, 0);
  pgplot::sch(0.8f);
  // Values held scaled down: the wedge's label gives the factor ("x10^38").
  const std::string units =
      image.scale_exponent == 0 ? " " : "\\x10\\u" + std::to_string(image.scale_exponent);
  pgplot::wedg("ri", 3.0f, 4.0f, image.minimum, image.maximum, units);
  pgplot::sci(1);
  pgplot::sch(1.0f);
  pgplot::slw(3);
  pgplot::label(fields.xlabel.whole(), fields.ylabel.whole(), fields.title.whole());
  pgplot::sci(0);
  pgplot::slw(3);
  pgplot::end();
  return true;
}

}  // namespace mapplot
