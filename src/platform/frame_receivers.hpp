#pragma once

#include <mapplot/window_pictures.hpp>

#include "internal_api.hpp"

namespace mapplot {

// Hands a frame that has just been presented to every frame receiver, in the
// order they were added. Called by the windowing layer on the drawing thread.
MAPPLOT_INTERNAL_API void deliver_presented_frame(const presented_frame& frame);

// Whether any receiver is waiting for frames, so that a layer can skip
// preparing what nobody takes.
bool frame_receivers_present();

}  // namespace mapplot
