// data_map on arbitrary arrays, labels and names, its file read back:
// CR LF line ends, lines of at most 80 characters without control
// characters, the counts of the header, one 15-character field per value,
// three text lines at least; and never a temporary file left behind.
#include <stdlib.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mapplot/data_map.hpp>
#include <sstream>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "fuzz_input.hpp"
#include "fuzz_scratch_folder.hpp"
#include "textout/console_capture.hpp"

namespace {

namespace fs = std::filesystem;

std::string read_file(const std::string& name) {
  std::ifstream file(name, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

void check_file(const std::string& contents, std::size_t nx, std::size_t ny, std::size_t nz,
                const std::vector<float>& expected_values, bool logscale) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < contents.size()) {
    const std::size_t end = contents.find("\r\n", start);
    FUZZ_CHECK(end != std::string::npos);  // every line ends with CR LF
    lines.push_back(contents.substr(start, end - start));
    start = end + 2;
  }
  for (const std::string& line : lines) {
    FUZZ_CHECK(line.size() <= 80);
    for (const char c : line) FUZZ_CHECK(static_cast<unsigned char>(c) >= 0x20 && c != 0x7f);
  }
  FUZZ_CHECK(lines.size() >= 1 + nx + ny + nz + 3);
  char header[40];
  std::snprintf(header, sizeof header, "%12zu%12zu%12d", nx, ny, 1);
  FUZZ_CHECK(lines[0] == header);
  for (std::size_t k = 0; k < nx + ny + nz; ++k) {
    const std::string& field = lines[1 + k];
    FUZZ_CHECK(field.size() == 15);
    if (logscale && k >= nx + ny) continue;
    const float value = expected_values[k];
    const double read = std::strtod(field.c_str(), nullptr);
    if (std::isfinite(value)) {
      FUZZ_CHECK(std::fabs(read - value) <= 5.1e-7 * std::fabs(static_cast<double>(value)) + 1e-45);
    } else {
      FUZZ_CHECK(field.find(std::isnan(value) ? "NaN" : "Infinity") != std::string::npos);
    }
  }
  for (std::size_t k = 1 + nx + ny + nz; k < lines.size(); ++k) FUZZ_CHECK(lines[k].front() == ' ');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (enter_scratch_folder()) {
    fs::create_directory("sub");
    fs::create_symlink("made_by_link.dat", "link.dat");
  }
  fuzz_input input(data, size);

  static const std::string names[] = {"Map.dat",       "-",
                                      "?Device:",      "sub/in_folder.dat",
                                      "link.dat",      std::string(150, 'n') + ".dat",
                                      "  padded.dat  "};
  const std::uint8_t name_choice = input.byte();
  std::string name = names[name_choice % 7];
  bool name_unusable = false;
  if (name_choice >= 250) {
    name = name_choice == 250 ? "   " : std::string("nul\0name", 8);
    name_unusable = true;
  }

  const std::uint8_t shape = input.byte() % 4;  // float or double, flat or grid
  const std::vector<float> x = input.reals(40), y = input.reals(40);
  const std::size_t gx = input.count(20), gy = input.count(20);
  std::vector<float> z = shape >= 2 ? std::vector<float>(gx * gy) : input.reals(200);
  for (float& value : z) value = shape >= 2 ? input.real() : value;
  const bool logscale = input.flag();
  const std::string xlabel = input.text(100), ylabel = input.text(100), title = input.text(100);
  const mapplot::data_options options{
      .logscale = logscale, .xlabel = xlabel, .ylabel = ylabel, .title = title, .filename = name};

  mapplot::console_capture console(1000);
  const std::vector<double> xd(x.begin(), x.end()), yd(y.begin(), y.end()), zd(z.begin(), z.end());
  try {
    switch (shape) {
      case 0:
        mapplot::data_map(x, y, z, options);
        break;
      case 1:
        mapplot::data_map(xd, yd, zd, options);
        break;
      case 2:
        mapplot::data_map(x, y, mapplot::grid_view<float>{z.data(), gx, gy}, options);
        break;
      default:
        mapplot::data_map(xd, yd, mapplot::grid_view<double>{zd.data(), gx, gy}, options);
        break;
    }
  } catch (const std::invalid_argument&) {
    FUZZ_CHECK(name_unusable);
    return 0;
  }
  FUZZ_CHECK(!name_unusable);
  const std::string trimmed = name.substr(
      name.find_first_not_of(' '), name.find_last_not_of(' ') - name.find_first_not_of(' ') + 1);
  FUZZ_CHECK(!console.lines.empty() && console.lines.back() == "  Output in " + trimmed);

  std::vector<float> written(x);
  written.insert(written.end(), y.begin(), y.end());
  written.insert(written.end(), z.begin(), z.end());
  check_file(read_file(trimmed), x.size(), y.size(), z.size(), written, logscale);
  for (const auto& entry : fs::recursive_directory_iterator("."))
    FUZZ_CHECK(entry.path().filename().string().find(".mapplot-") == std::string::npos);
  return 0;
}
