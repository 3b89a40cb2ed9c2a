#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/qt/window_canvas.hpp"

namespace mapplot {

// The numbered canvases the program's thread draws into and the GUI thread
// shows: the hand-off between the two sides of the layer. Window 0, the
// console's picture, always exists. A canvas, once made, lives as long as
// this object, so either side may keep a reference to it. Any thread.
class window_canvases {
 public:
  window_canvases();
  window_canvases(const window_canvases&) = delete;
  window_canvases& operator=(const window_canvases&) = delete;

  window_canvas& console() { return *console_; }
  // Window `number`, made on first use and titled "Window <number>".
  window_canvas& numbered(int number);
  // Window `number`, or null when it was never made.
  window_canvas* find(int number) const;
  std::vector<int> numbers() const;
  std::vector<window_canvas*> all() const;
  // Ends every canvas's waits; nothing is presented afterwards.
  void cancel_all();

 private:
  mutable std::mutex lock_;
  std::map<int, std::unique_ptr<window_canvas>> canvases_;
  window_canvas* console_ = nullptr;
};

}  // namespace mapplot
