#pragma once

#include <mapplot/map_request.hpp>

#include "request/text_field.hpp"

namespace mapplot {

// The three texts of a screen map as the renderer draws them.
struct map_texts {
  text_field xlabel;
  text_field ylabel;
  text_field title;
};

// Trims the given texts (or takes the defaults), wraps the title as
// "log(...)" under a logarithmic scale and removes the superscript and
// subscript marks, which the screen cannot show.
map_texts prepare_map_texts(const screen_options& options);

// Removes every "\u", then every "\d"; the blanks on either side of a removed
// mark go with it.
text_field remove_escapes(const text_field& field);

}  // namespace mapplot
