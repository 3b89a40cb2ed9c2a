#pragma once

#include <span>
#include <string>
#include <string_view>

namespace mapplot {

// What a PGPLOT device makes, for the device types mapplot offers.
enum class plot_output {
  postscript,  // PS, VPS, CPS, VCPS
  gif,         // GIF, VGIF
  png,         // PNG, TPNG
  latex,       // LATEX
  nothing,     // NULL: draws nowhere
  screen,      // XWINDOW, XSERVE: a window on the X display
};

struct device_choice {
  std::string type;  // PGPLOT's name, upper case: "VCPS"
  plot_output output;
};

// The device `requested` names (surrounding blanks ignored, case not
// significant), chosen from `known`, PGPLOT's device list without the "/",
// the way PGPLOT chooses: the exact name, or else an abbreviation that fits
// one name only; mapplot wants two letters at least. Throws
// std::invalid_argument for a type PGPLOT does not know, a one-letter or
// ambiguous abbreviation, and devices whose output cannot be checked
// complete (terminals, plotters and the file formats not listed above).
device_choice choose_device(std::string_view requested, std::span<const std::string> known);

// Whether the device leaves a file to check and report.
inline bool writes_file(plot_output output) {
  return output != plot_output::nothing && output != plot_output::screen;
}

}  // namespace mapplot
