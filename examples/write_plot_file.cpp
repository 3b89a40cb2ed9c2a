// Writes a 60 x 40 field as a PostScript plot file, "field.ps", on a
// logarithmic scale.
#include <cmath>
#include <cstdio>
#include <exception>
#include <mapplot/postscript_map.hpp>
#include <vector>

int main() {
  const std::size_t nx = 60, ny = 40;
  std::vector<double> x(nx), y(ny), z(nx * ny);
  for (std::size_t p = 0; p < nx; ++p) x[p] = 0.1 * static_cast<double>(p);
  for (std::size_t q = 0; q < ny; ++q) y[q] = 0.1 * static_cast<double>(q);
  for (std::size_t q = 0; q < ny; ++q) {
    for (std::size_t p = 0; p < nx; ++p) z[p + q * nx] = std::exp(x[p]) * (2 + std::sin(3 * y[q]));
  }
  try {
    // The device type chooses the format; a file name ending in "ps" takes
    // its letters ("field.ps" with device "cps" would write "field.cps").
    mapplot::postscript_map(x, y, mapplot::grid_view<double>::of(z, nx, ny),
                            {.logscale = true,
                             .xlabel = "x",
                             .ylabel = "y",
                             .title = "e\\ux\\d (2 + sin 3y)",
                             .filename = "field.ps",
                             .device = "ps"});
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "write_plot_file: %s\n", failure.what());
    return 1;
  }
}
