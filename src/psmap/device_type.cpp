#include "psmap/device_type.hpp"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <vector>

#include "request/text_field.hpp"

namespace mapplot {
namespace {

struct offered_device {
  std::string_view type;
  plot_output output;
};

constexpr std::array offered{
    offered_device{"PS", plot_output::postscript},  offered_device{"VPS", plot_output::postscript},
    offered_device{"CPS", plot_output::postscript}, offered_device{"VCPS", plot_output::postscript},
    offered_device{"GIF", plot_output::gif},        offered_device{"VGIF", plot_output::gif},
    offered_device{"PNG", plot_output::png},        offered_device{"TPNG", plot_output::png},
    offered_device{"LATEX", plot_output::latex},    offered_device{"NULL", plot_output::nothing},
    offered_device{"XWINDOW", plot_output::screen}, offered_device{"XSERVE", plot_output::screen},
};

// ASCII rules, as PGPLOT's names are ASCII: std::toupper follows the global
// locale, and under tr_TR it leaves 'i' alone, so "gif" would not be found.
std::string upper_case(std::string_view text) {
  std::string upper(text);
  for (char& c : upper)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return upper;
}

// The name arrives padded to its fixed-width field; the message shows it as
// the caller wrote it, without the padding.
[[noreturn]] void reject(std::string_view requested, std::string_view why) {
  throw std::invalid_argument("postscript_map: device type \"" +
                              std::string(strip_blanks(requested)) + "\" " + std::string(why));
}

}  // namespace

device_choice choose_device(std::string_view requested, std::span<const std::string> known) {
  const std::string wanted = upper_case(strip_blanks(requested));
  if (wanted.empty()) reject(requested, "is blank");

  std::string chosen;
  if (std::find(known.begin(), known.end(), wanted) != known.end()) {
    chosen = wanted;
  } else {
    if (wanted.size() < 2) reject(requested, "is too short: give at least two letters");
    std::vector<std::string> fitting;
    for (const std::string& type : known)
      if (type.starts_with(wanted)) fitting.push_back(type);
    if (fitting.empty()) reject(requested, "is not one PGPLOT knows");
    if (fitting.size() > 1) reject(requested, "is ambiguous");
    chosen = fitting.front();
  }
  for (const offered_device& device : offered)
    if (device.type == chosen) return {chosen, device.output};
  reject(requested, "(" + chosen +
                        ") writes nothing mapplot can check complete; use PS, VPS, CPS, VCPS, "
                        "GIF, VGIF, PNG, TPNG, LATEX, NULL, XWINDOW or XSERVE");
}

}  // namespace mapplot
