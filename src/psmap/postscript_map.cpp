#include <mapplot/postscript_map.hpp>

#include "psmap/plot_map.hpp"

namespace mapplot {

void postscript_map(std::span<const float> x, std::span<const float> y, std::span<const float> z,
                    const postscript_options& options) {
  plot_map(x, y, z, options);
}

}  // namespace mapplot
