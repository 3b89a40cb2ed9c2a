#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace mapplot {

// A two-dimensional grid of nx * ny values; the first index runs along x and
// is fastest in memory, so element (p, q) (0-based) stands at p + q * nx.
template <class T>
struct grid_view {
  const T* data;
  std::size_t nx;
  std::size_t ny;
};

inline constexpr std::string_view default_xlabel = "x";
inline constexpr std::string_view default_ylabel = "y";
inline constexpr std::string_view default_title = "Representation of z=z(x,y)";
inline constexpr std::string_view default_plot_file_name = "Map.ps";
inline constexpr std::string_view default_device_type = "ps";
inline constexpr std::string_view default_data_file_name = "Map.dat";

// The optional arguments of each output family, in the documented argument
// order; an absent member takes the family's default, a present text is used
// even when it is empty or blank. The empty initializers let callers name only
// the options they give without -Wmissing-field-initializers.
struct screen_options {
  std::optional<bool> logscale{};
  std::optional<std::string_view> xlabel{}, ylabel{}, title{};
  std::optional<int> winsize{};
  std::optional<bool> ownwindow{}, update{};
};

struct postscript_options {
  std::optional<bool> logscale{};
  std::optional<std::string_view> xlabel{}, ylabel{}, title{}, filename{}, device{};
};

struct data_options {
  std::optional<bool> logscale{};
  std::optional<std::string_view> xlabel{}, ylabel{}, title{}, filename{};
};

}  // namespace mapplot
