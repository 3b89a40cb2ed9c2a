#include "psmap/plot_image.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <type_traits>

#include "request/logarithm.hpp"

namespace mapplot {
namespace {

constexpr long double widest_range = 1.0e36L;
constexpr long double narrowest_range = 1.0e-30L;

// The smallest and largest finite value and how many are not finite. The
// first pass is plain enough to vectorise: NaN fails every comparison, and
// only when an infinity turns up is the range taken again without them.
struct finite_extent {
  float low;
  float high;
  std::size_t not_finite;
};

finite_extent extent_of_values(std::span<const float> values) {
  constexpr float infinity = std::numeric_limits<float>::infinity();
  float low = infinity, high = -infinity;
  std::size_t not_finite = 0;
  for (const float value : values) {
    low = value < low ? value : low;
    high = value > high ? value : high;
    not_finite += std::fabs(value) <= std::numeric_limits<float>::max() ? 0 : 1;
  }
  if (low == -infinity || high == infinity) {
    low = infinity;
    high = -infinity;
    for (const float value : values) {
      if (std::fabs(value) > std::numeric_limits<float>::max()) continue;
      low = value < low ? value : low;
      high = value > high ? value : high;
    }
  }
  if (not_finite == values.size()) low = high = 0;
  return {low, high, not_finite};
}

// The values as PGIMAG gets them: rounded to single precision, or their
// logarithms. Single values need neither and are not copied.
template <class Real>
void take_values(plot_image& image, std::span<const Real> given, bool logscale) {
  if constexpr (std::is_same_v<Real, float>) {
    if (!logscale) {
      image.cells = given;
      return;
    }
  }
  image.copy.resize(given.size());
  if (logscale) {
    std::transform(given.begin(), given.end(), image.copy.begin(),
                   [](Real value) { return extended_log10(static_cast<float>(value)); });
  } else {
    std::transform(given.begin(), given.end(), image.copy.begin(),
                   [](Real value) { return static_cast<float>(value); });
  }
  image.cells = image.copy;
}

}  // namespace

template <class Real>
plot_image make_plot_image(std::span<const Real> values, std::size_t cells, bool logscale) {
  plot_image image;
  take_values(image, values.first(std::min(values.size(), cells)), logscale);
  const finite_extent extent = extent_of_values(image.cells);
  image.not_finite = extent.not_finite;
  float low = extent.low, high = extent.high;

  const long double range = static_cast<long double>(high) - low;
  image.flat = std::fabs(static_cast<float>(range)) < 1.0e-6f;
  if (range > widest_range) {
    // Brought to values below 10 in magnitude, so the wedge reads plainly.
    const long double largest = std::max(std::fabs(low), std::fabs(high));
    image.scale_exponent = static_cast<int>(std::floor(std::log10(largest)));
  }
  // PGPLOT's scale from so narrow a range to the wedge overflows; equal
  // ends are what the range amounts to.
  const bool collapsed = range > 0 && range < narrowest_range;
  if (collapsed) high = low;
  const long double divisor = std::pow(10.0L, image.scale_exponent);
  const auto scaled = [divisor](float value) {
    return static_cast<float>(static_cast<long double>(value) / divisor);
  };
  image.minimum = scaled(low);
  image.maximum = scaled(high);
  if (image.scale_exponent != 0 || image.not_finite > 0 || collapsed) {
    // The caller's values are never written: replaced values need a copy,
    // made here if the image has none yet (and in place if it has).
    image.copy.resize(image.cells.size());
    std::transform(image.cells.begin(), image.cells.end(), image.copy.begin(),
                   [&image, &scaled](float value) {
                     if (std::isnan(value) || value == -HUGE_VALF) return image.minimum;
                     if (value == HUGE_VALF) return image.maximum;
                     return std::clamp(scaled(value), image.minimum, image.maximum);
                   });
    image.cells = image.copy;
  }
  return image;
}

template plot_image make_plot_image(std::span<const float>, std::size_t, bool);
template plot_image make_plot_image(std::span<const double>, std::size_t, bool);

}  // namespace mapplot
