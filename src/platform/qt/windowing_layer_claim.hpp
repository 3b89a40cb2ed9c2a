#pragma once

namespace mapplot {

// Only one windowing layer runs in a process at a time: run_windowed_program
// or a screen_session. Claims the layer; false when another holds it.
bool claim_windowing_layer() noexcept;
// Gives the layer back; only its holder calls this.
void release_windowing_layer() noexcept;

}  // namespace mapplot
