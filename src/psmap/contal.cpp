#include "psmap/contal.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "psmap/image_placement.hpp"
#include "psmap/pgplot_binding.hpp"
#include "request/value_range.hpp"
#include "textout/write_console.hpp"

namespace mapplot {
namespace {

// The grid and the range of its finite values. Values that are not finite
// would make PGIMAG's scale meaningless (one -inf from a logarithm of zero
// turned the whole image white), so the range leaves them out and the grid
// shows NaN and -inf at the minimum and +inf at the maximum.
struct plot_range {
  float minimum;
  float maximum;
  std::size_t not_finite;
};

plot_range fill_grid(std::span<const float> values, std::vector<float>& grid) {
  const std::size_t available = std::min(values.size(), grid.size());
  const value_range finite = finite_range(values.first(available));
  plot_range range{.minimum = 0, .maximum = 0, .not_finite = finite.not_finite_count()};
  if (finite.has_finite_values()) {
    range.minimum = static_cast<float>(finite.min);
    range.maximum = static_cast<float>(finite.max);
  }
  for (std::size_t k = 0; k < available; ++k) {
    const float value = values[k];
    if (std::isnan(value) || value == -HUGE_VALF) {
      grid[k] = range.minimum;
    } else if (value == HUGE_VALF) {
      grid[k] = range.maximum;
    } else {
      grid[k] = value;
    }
  }
  std::fill(grid.begin() + static_cast<std::ptrdiff_t>(available), grid.end(), range.minimum);
  return range;
}

}  // namespace

bool contal(std::span<const float> x, std::span<const float> y, std::span<const float> values,
            const postscript_fields& fields, std::string_view device_name) {
  const int nx = static_cast<int>(x.size());
  const int ny = static_cast<int>(y.size());
  std::vector<float> grid(x.size() * y.size());
  const plot_range range = fill_grid(values, grid);

  if (range.not_finite > 0) {
    const std::string count = std::to_string(range.not_finite);
    write_console({" Warning: ", std::string_view(count),
                   " values not finite, drawn at the ends of the scale"});
  }
  const float spread = static_cast<float>(static_cast<long double>(range.maximum) - range.minimum);
  if (std::fabs(spread) < 1.0e-6f) write_console({" Array is flat!"});

  const axis_extent x_extent = extent_of(x);
  const axis_extent y_extent = extent_of(y);
  const pgplot::transform tr = image_transform(x_extent, y_extent);

  if (pgplot::begin(0, device_name, 1, 1) != 1) {
    write_console({" Cannot open plot device ", strip_blanks(fields.file_name), "/",
                   fields.device.trimmed()});
    return false;
  }
  pgplot::scf(2);
  pgplot::slw(3);
  pgplot::svp(0.12f, 0.83f, 0.12f, 0.88f);
  pgplot::wnad(x_extent.window_low, x_extent.window_high, y_extent.window_low,
               y_extent.window_high);
  pgplot::bbuf();
  static constexpr std::array<float, 2> ramp_levels{0.0f, 1.0f};
  static constexpr std::array<float, 2> ramp_intensity{0.0f, 1.0f};
  pgplot::ctab(ramp_levels, ramp_intensity, ramp_intensity, ramp_intensity, 1.0f, 0.5f);
  pgplot::imag(grid, nx, ny, 1, nx, 1, ny, range.minimum, range.maximum, tr);
  pgplot::ebuf();
  pgplot::sci(0);
  pgplot::sci(1);
  pgplot::sls(1);
  pgplot::slw(1);
  pgplot::sci(1);
  const outline_polygon outline = outline_of(tr, x_extent, y_extent);
  pgplot::line(outline.x, outline.y);
  pgplot::box("bcnts", 0.0f, 0, "bcnts", 0.0f, 0);
  pgplot::sch(0.8f);
  pgplot::wedg("ri", 3.0f, 4.0f, range.minimum, range.maximum, " ");
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
