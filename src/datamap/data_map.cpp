#include <mapplot/data_map.hpp>

#include "datamap/data_file.hpp"

namespace mapplot {

void data_map(std::span<const float> x, std::span<const float> y, std::span<const float> z,
              const data_options& options) {
  write_data_file(x, y, z, options, default_title);
}

}  // namespace mapplot
