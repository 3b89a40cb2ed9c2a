#pragma once

#include <cstddef>
#include <span>
#include <vector>

namespace mapplot {

// The values as PGIMAG draws them. Single values that PGIMAG can draw as
// they are stay where the caller keeps them; only doubles, logarithms and
// values that must be replaced are copied, once.
struct plot_image {
  // The first min(values, cells) values, x index fastest, in single
  // precision (logarithms under logscale). Values that are not finite stand
  // at the ends of the scale: NaN and -inf at the minimum, +inf at the maximum.
  // Either the caller's values or `copy`.
  std::span<const float> cells;
  std::vector<float> copy;
  // The ends of the scale, from the finite values (0 when there are none).
  float minimum = 0;
  float maximum = 0;
  std::size_t not_finite = 0;
  // The range is below 1e-6, as " Array is flat!" says.
  bool flat = false;
  // PGPLOT's image and wedge break down on ranges beyond about 1e36, so the
  // values and ends of wider ranges are held divided by 10^scale_exponent
  // (0 otherwise), which keeps every grey level where it belongs.
  int scale_exponent = 0;

  plot_image() = default;
  // A move keeps `copy`'s storage, so `cells` stays valid; a copy would not.
  plot_image(plot_image&&) = default;
  plot_image& operator=(plot_image&&) = default;
  plot_image(const plot_image&) = delete;
  plot_image& operator=(const plot_image&) = delete;
};

// `values` rounded to single precision one by one, never more of them than
// `cells`, the grid's size. The image may refer to `values`, which must
// outlive it.
template <class Real>
plot_image make_plot_image(std::span<const Real> values, std::size_t cells, bool logscale);

}  // namespace mapplot
