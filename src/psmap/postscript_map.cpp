#include <climits>
#include <mapplot/postscript_map.hpp>
#include <mutex>
#include <vector>

#include "psmap/contal.hpp"
#include "psmap/postscript_request.hpp"
#include "psmap/staged_plot_file.hpp"
#include "request/grid_size.hpp"
#include "request/logarithm.hpp"
#include "textout/write_console.hpp"

namespace mapplot {
namespace {

// PGPLOT keeps one set of global device state, so plots are made one at a time.
std::mutex plotting;

std::vector<float> logarithms_of(std::span<const float> values) {
  std::vector<float> logarithms(values.size());
  for (std::size_t k = 0; k < values.size(); ++k) logarithms[k] = extended_log10(values[k]);
  return logarithms;
}

// Draws through PGPLOT and says whether the device could be opened and, for a
// file device, whether the file named in `fields` was written.
bool draw_plot_file(std::span<const float> x, std::span<const float> y,
                    std::span<const float> values, const postscript_fields& fields) {
  const std::string_view name = strip_trailing_blanks(fields.file_name);
  if (name.size() <= text_field_length || !writes_plot_file(fields.device))
    return contal(x, y, values, fields, device_name(name, fields.device));

  staged_plot_file staged;
  if (!staged.created()) {
    write_console({" Cannot create a temporary plot file for ", strip_blanks(name)});
    return false;
  }
  if (!contal(x, y, values, fields, device_name(staged.temporary_path(), fields.device)))
    return false;
  if (!staged.move_to(name)) {
    write_console({" Cannot write plot file ", strip_blanks(name)});
    return false;
  }
  return true;
}

}  // namespace

void postscript_map(std::span<const float> x, std::span<const float> y, std::span<const float> z,
                    const postscript_options& options) {
  std::scoped_lock lock(plotting);
  const postscript_fields fields = resolve_postscript_fields(options);
  // PGPLOT would quietly write "pgplot.ps" instead, and the report name none.
  if (writes_plot_file(fields.device) && strip_blanks(fields.file_name).empty()) {
    write_console({" Blank plot file name: no plot written"});
    return;
  }

  const bool too_many_cells = !cell_count(x.size(), y.size());
  if (!fills_grid(x.size(), y.size(), z.size()))
    write_console({" Warning: incompatible array sizes !!!"});
  if (x.empty() || y.empty() || z.empty()) {
    write_console({" Empty array: no plot written"});
    return;
  }
  if (too_many_cells || x.size() > INT_MAX || y.size() > INT_MAX) {
    write_console({" Grid too large to plot: no plot written"});
    return;
  }

  std::vector<float> logarithms;
  if (fields.logscale) logarithms = logarithms_of(z);
  const std::span<const float> values = fields.logscale ? std::span<const float>(logarithms) : z;

  if (draw_plot_file(x, y, values, fields) && writes_plot_file(fields.device))
    write_console({" Output in ", strip_blanks(fields.file_name)});
}

}  // namespace mapplot
