// postscript_map on arbitrary arrays, devices and names, through the
// recording PGPLOT binding: what reaches PGPLOT must be sound (every number
// finite, windows of some extent, images read within the values given), a
// file is reported only when it is complete under its name, and nothing is
// left behind by a call that fails.
#include <stdlib.h>
#include <unistd.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mapplot/postscript_map.hpp>
#include <sstream>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "fuzz_input.hpp"
#include "fuzz_scratch_folder.hpp"
#include "psmap/device_type.hpp"
#include "psmap/plot_completeness.hpp"
#include "recorded_pgplot.hpp"
#include "textout/console_capture.hpp"

namespace {

namespace fs = std::filesystem;
using mapplot::recorded_pgplot::call;

std::string read_file(const std::string& name) {
  std::ifstream file(name, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

void check_calls(std::size_t values) {
  const auto& calls = mapplot::recorded_pgplot::calls();
  if (calls.empty()) return;
  FUZZ_CHECK(calls.front().routine == "begin");
  if (calls.size() > 1) FUZZ_CHECK(calls.back().routine == "end");
  for (const call& entry : calls) {
    for (const double number : entry.numbers) FUZZ_CHECK(std::isfinite(number));
    for (const auto& array : entry.arrays)
      if (entry.routine != "imag")
        for (const float value : array) FUZZ_CHECK(std::isfinite(value));
    if (entry.routine == "wnad") {
      FUZZ_CHECK(entry.numbers[0] != entry.numbers[1] && entry.numbers[2] != entry.numbers[3]);
    }
    if (entry.routine == "imag") {
      const auto& n = entry.numbers;  // idim, jdim, i1, i2, j1, j2, black, white
      FUZZ_CHECK(n[2] >= 1 && n[2] <= n[3] && n[3] <= n[0]);
      FUZZ_CHECK(n[4] >= 1 && n[4] <= n[5] && n[5] <= n[1]);
      FUZZ_CHECK((n[5] - 1) * n[0] + n[3] <= static_cast<double>(values));
      FUZZ_CHECK(n[6] <= n[7]);
      FUZZ_CHECK(std::fabs(static_cast<double>(n[7]) - n[6]) <= 1e36);
      for (const float value : entry.arrays[0]) FUZZ_CHECK(value >= n[6] && value <= n[7]);
      for (const float value : entry.arrays[1]) FUZZ_CHECK(std::isfinite(value));
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (enter_scratch_folder()) fs::create_symlink("made_by_link.ps", "link.ps");
  mapplot::recorded_pgplot::reset();
  fuzz_input input(data, size);

  static const std::string names[] = {
      "Map.ps",       "-",       "?Device:", "link.ps", std::string(150, 'n') + ".ps",
      "missing/m.ps", "plot.dat"};
  static const char* devices[] = {"ps",  "vps",  "cps",   "vcps", "gif", "vgif",
                                  "png", "tpng", "latex", "null", "xw",  "x",
                                  "n",   "cgm",  "PS",    " Vc",  "hpgl"};
  const std::uint8_t name_choice = input.byte();
  std::string name = names[name_choice % 7];
  if (name_choice >= 250) name = name_choice == 250 ? " " : std::string("a\0b.ps", 6);
  const std::uint8_t device_choice = input.byte();
  const std::string device = device_choice < 240 ? devices[device_choice % 17] : input.text(8);
  const bool incomplete = input.byte() == 0xff;
  if (incomplete) mapplot::recorded_pgplot::set_written_contents("%!PS-Adobe-3.0\n");

  const bool doubles = input.flag();
  const std::vector<float> x = input.reals(30), y = input.reals(30), z = input.reals(200);
  const bool logscale = input.flag();
  const std::string title = input.text(90);
  const mapplot::postscript_options options{
      .logscale = logscale, .title = title, .filename = name, .device = device};

  mapplot::console_capture console(1000);
  const std::vector<double> xd(x.begin(), x.end()), yd(y.begin(), y.end()), zd(z.begin(), z.end());
  bool failed = false;
  try {
    if (doubles) {
      mapplot::postscript_map(xd, yd, zd, options);
    } else {
      mapplot::postscript_map(x, y, z, options);
    }
  } catch (const std::invalid_argument&) {
    FUZZ_CHECK(mapplot::recorded_pgplot::calls().empty());
    FUZZ_CHECK(console.lines.empty());
    return 0;
  } catch (const std::system_error&) {
    failed = true;
    FUZZ_CHECK(!console.lines.empty() &&
               console.lines.back().starts_with("  Cannot write plot file"));
  }
  check_calls(std::min(z.size(), x.size() * y.size()));
  const bool reported = !console.lines.empty() && console.lines.back().starts_with("  Output in ");
  FUZZ_CHECK(!(failed && reported));
  FUZZ_CHECK(!(incomplete && reported));
  if (reported) {
    const std::string written = console.lines.back().substr(12);
    const std::string contents = read_file(written);
    const auto output =
        mapplot::choose_device(device, mapplot::recorded_pgplot::pgplot_device_list()).output;
    FUZZ_CHECK(mapplot::writes_file(output));
    FUZZ_CHECK(mapplot::is_complete_plot(
        output, {reinterpret_cast<const unsigned char*>(contents.data()), contents.size()}));
  }
  for (const auto& entry : fs::directory_iterator("."))
    FUZZ_CHECK(entry.path().filename().string().find(".mapplot-") == std::string::npos);
  return 0;
}
