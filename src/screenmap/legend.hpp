#pragma once

#include <string>

#include "platform/window_system.hpp"
#include "screenmap/map_layout.hpp"
#include "screenmap/map_texts.hpp"

namespace mapplot {

// What the legend beside the map shows and where: the world window of the
// map (xmin..wx2 across, ymin..ymax up) and the figures of its three groups.
struct legend_request {
  map_layout layout;
  double xmin, xmax, wx2;
  double ymin, ymax;
  double zmin, zmax;
  double map_right_edge;  // where the clearing box starts, four pixels further right
  const map_texts& texts;
  bool update;
};

// Significant digits for figures spread over [low, high]: 2 - floor(log10(r/m))
// with r the spread and m the larger magnitude, kept within 3..16; 3 when r/m
// is zero or not finite.
int digit_count(double low, double high);

// `value` in the generalised numeric form with `digits` digits, without the
// blanks of its field.
std::string legend_number(double value, int digits);

// Writes the nine legend lines in white; an updating call first blacks out the
// previous legend, whose pixel width it reads from `previous_pixel_width`.
// Stores this legend's pixel width there.
void draw_legend(window_system& windows, const legend_request& request,
                 double& previous_pixel_width);

}  // namespace mapplot
