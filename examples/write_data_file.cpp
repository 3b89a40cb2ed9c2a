// Writes a 2 x 3 grid as the text data file "field.dat".
#include <cstdio>
#include <exception>
#include <mapplot/data_map.hpp>
#include <vector>

int main() {
  const std::vector<float> x{-1, 1};
  const std::vector<float> y{0, 0.5, 1};
  // Value (p, q) belongs to x[p] and y[q] and stands at p + q * x.size();
  // grid_view::of checks that z holds the 2 x 3 values.
  const std::vector<float> z{1, 2, 3, 4, 5, 6};
  try {
    mapplot::data_map(x, y, mapplot::grid_view<float>::of(z, x.size(), y.size()),
                      {.title = "Six values", .filename = "field.dat"});
  } catch (const std::exception& failure) {
    // A file that cannot be written, or a blank name: nothing was replaced.
    std::fprintf(stderr, "write_data_file: %s\n", failure.what());
    return 1;
  }
}
