#pragma once

#include <QtGlobal>

namespace mapplot {

// Qt ends the process with qFatal, that is abort(), when its platform cannot
// start: a display that does not answer, an unknown -platform. While this
// lives (around the making of the application object), Qt's messages are held
// back; a fatal one becomes one line, "<program>: cannot open display ...",
// and exit status 1. The others are let through when it ends.
class startup_message_capture {
 public:
  // `argc` and `argv` are main()'s: they may name the display and platform.
  startup_message_capture(int argc, char** argv);
  ~startup_message_capture();
  startup_message_capture(const startup_message_capture&) = delete;
  startup_message_capture& operator=(const startup_message_capture&) = delete;

 private:
  QtMessageHandler previous_;
};

}  // namespace mapplot
