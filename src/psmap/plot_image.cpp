#include "psmap/plot_image.hpp"

#include <algorithm>
#include <cmath>

#include "request/logarithm.hpp"

namespace mapplot {
namespace {

constexpr long double widest_range = 1.0e36L;
constexpr long double narrowest_range = 1.0e-30L;

}  // namespace

template <class Real>
plot_image make_plot_image(std::span<const Real> values, std::size_t cells, bool logscale) {
  plot_image image;
  image.cells.resize(std::min(values.size(), cells));
  bool any_finite = false;
  float low = 0, high = 0;
  for (std::size_t k = 0; k < image.cells.size(); ++k) {
    float value = static_cast<float>(values[k]);
    if (logscale) value = extended_log10(value);
    image.cells[k] = value;
    if (!std::isfinite(value)) {
      ++image.not_finite;
    } else if (!any_finite) {
      low = high = value;
      any_finite = true;
    } else {
      low = std::min(low, value);
      high = std::max(high, value);
    }
  }

  const long double range = static_cast<long double>(high) - low;
  image.flat = std::fabs(static_cast<float>(range)) < 1.0e-6f;
  if (range > widest_range) {
    // Brought to values below 10 in magnitude, so the wedge reads plainly.
    const long double largest = std::max(std::fabs(low), std::fabs(high));
    image.scale_exponent = static_cast<int>(std::floor(std::log10(largest)));
  } else if (range < narrowest_range) {
    // PGPLOT's scale from such a range to the wedge overflows; equal ends
    // are what the range amounts to.
    high = low;
  }
  const long double divisor = std::pow(10.0L, image.scale_exponent);
  const auto scaled = [divisor](float value) {
    return static_cast<float>(static_cast<long double>(value) / divisor);
  };
  image.minimum = scaled(low);
  image.maximum = scaled(high);
  if (image.scale_exponent != 0 || image.not_finite > 0) {
    for (float& value : image.cells) {
      if (std::isnan(value) || value == -HUGE_VALF) {
        value = image.minimum;
      } else if (value == HUGE_VALF) {
        value = image.maximum;
      } else if (image.scale_exponent != 0) {
        value = scaled(value);
      }
    }
  }
  return image;
}

template plot_image make_plot_image(std::span<const float>, std::size_t, bool);
template plot_image make_plot_image(std::span<const double>, std::size_t, bool);

}  // namespace mapplot
