#include "psmap/plot_map.hpp"

#include <climits>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "psmap/contal.hpp"
#include "psmap/device_type.hpp"
#include "psmap/image_placement.hpp"
#include "psmap/pgplot_binding.hpp"
#include "psmap/plot_file.hpp"
#include "psmap/plot_image.hpp"
#include "psmap/postscript_request.hpp"
#include "request/console_warnings.hpp"
#include "request/grid_size.hpp"
#include "request/output_file.hpp"
#include "textout/write_console.hpp"

namespace mapplot {
namespace {

// PGPLOT keeps one set of global device state, so plots are made one at a time.
std::mutex plotting;

// Asked once: the list is fixed when PGPLOT is built.
const std::vector<std::string>& known_device_types() {
  static const std::vector<std::string> types = pgplot::device_types();
  return types;
}

// A file name no caller could have meant, before anything is written.
void check_file_name(std::string_view name, const device_choice& device) {
  if (writes_file(device.output) && name.empty())
    throw std::invalid_argument("postscript_map: the plot file name is blank");
  if (writes_file(device.output) || name.find('\0') != std::string_view::npos)
    output_file::check_name(name, "plot file");
}

// PGIMAG indexes cells with PGPLOT's int.
void check_cell_count(std::size_t nx, std::size_t ny) {
  const std::size_t cells = checked_cell_count(nx, ny, sizeof(float));
  if (cells > static_cast<std::size_t>(INT_MAX))
    throw std::invalid_argument("postscript_map: a grid of " + std::to_string(nx) + " x " +
                                std::to_string(ny) + " cells is more than PGPLOT can index");
}

// Why nothing can be plotted, or empty when something can.
std::string missing_array(std::size_t nx, std::size_t ny, std::size_t values) {
  constexpr std::string_view consequence = "no plot written";
  if (nx == 0) return missing_array_warning("x coordinates", consequence);
  if (ny == 0) return missing_array_warning("y coordinates", consequence);
  if (values == 0) return missing_array_warning("values", consequence);
  return {};
}

void report_unusual_input(const plot_image& image, const axis_extent& x, const axis_extent& y) {
  if (x.fault != coordinate_fault::none) write_console({coordinate_warning(x.fault, 'x')});
  if (y.fault != coordinate_fault::none) write_console({coordinate_warning(y.fault, 'y')});
  if (image.not_finite > 0)
    write_console({not_finite_values_warning(image.not_finite, image.cells.size(),
                                             "drawn at the ends of the scale")});
  if (image.flat) write_console({flat_array_warning});
}

// The null device and the window devices leave no file: PGPLOT gets no name.
void plot_without_file(const plot_image& image, std::size_t nx, const axis_extent& x,
                       const axis_extent& y, const postscript_fields& fields) {
  std::string device(1, '/');
  device += fields.device.trimmed();
  if (!contal(image, nx, x, y, fields, device))
    write_console({" Cannot open plot device ", std::string_view(device)});
}

// PGPLOT writes a temporary file by a short plain path; only a complete file
// takes the name, and only then is it reported.
void plot_to_file(std::string_view name, const device_choice& device, const plot_image& image,
                  std::size_t nx, const axis_extent& x, const axis_extent& y,
                  const postscript_fields& fields) {
  const auto cannot_write = [name] { write_console({" Cannot write plot file ", name}); };
  std::optional<plot_file> file;
  try {
    file.emplace(name);
  } catch (const std::system_error&) {
    cannot_write();
    throw;
  }
  if (!contal(image, nx, x, y, fields, device_name(file->pgplot_path(), fields.device))) {
    cannot_write();
    throw std::system_error(
        EIO, std::generic_category(),
        "cannot write plot file \"" + std::string(name) + "\" (PGPLOT could not open it)");
  }
  try {
    file->commit(device.output);
  } catch (const std::system_error&) {
    cannot_write();
    throw;
  }
  write_console({" Output in ", name});
}

}  // namespace

template <class Real>
void plot_map(std::span<const Real> x, std::span<const Real> y, std::span<const Real> z,
              const postscript_options& options) {
  std::scoped_lock lock(plotting);
  const postscript_fields fields = resolve_postscript_fields(options);
  const device_choice device = choose_device(fields.device.whole(), known_device_types());
  const std::string_view name = strip_blanks(fields.file_name);
  check_file_name(name, device);
  check_cell_count(x.size(), y.size());

  if (!fills_grid(x.size(), y.size(), z.size())) write_console({incompatible_sizes_warning});
  if (const std::string why = missing_array(x.size(), y.size(), z.size()); !why.empty()) {
    write_console({std::string_view(why)});
    return;
  }

  const plot_image image = make_plot_image(z, x.size() * y.size(), fields.logscale);
  const axis_extent x_extent = extent_of(x);
  const axis_extent y_extent = extent_of(y);
  report_unusual_input(image, x_extent, y_extent);

  if (writes_file(device.output)) {
    plot_to_file(name, device, image, x.size(), x_extent, y_extent, fields);
  } else {
    plot_without_file(image, x.size(), x_extent, y_extent, fields);
  }
}

template void plot_map(std::span<const float>, std::span<const float>, std::span<const float>,
                       const postscript_options&);
template void plot_map(std::span<const double>, std::span<const double>, std::span<const double>,
                       const postscript_options&);

}  // namespace mapplot
