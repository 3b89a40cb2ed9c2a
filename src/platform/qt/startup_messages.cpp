#include "platform/qt/startup_messages.hpp"

#include <QString>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/qt/program_messages.hpp"

namespace mapplot {
namespace {

// What the message handler, a plain function, needs.
std::string failed_display;
std::vector<QString> held_messages;

// The value of a Qt command-line option ("-platform xyz"), or empty.
std::string option_value(int argc, char** argv, std::string_view option) {
  for (int k = 1; k + 1 < argc; ++k) {
    std::string_view argument = argv[k];
    if (!argument.starts_with('-')) continue;
    argument.remove_prefix(argument.starts_with("--") ? 2 : 1);
    if (argument == option) return argv[k + 1];
  }
  return {};
}

// What a display that did not open was: the platform asked for and the
// display named, as far as either was given.
std::string display_description(int argc, char** argv) {
  std::string display = option_value(argc, argv, "display");
  if (display.empty()) display = qEnvironmentVariable("DISPLAY").toStdString();
  if (display.empty()) display = qEnvironmentVariable("WAYLAND_DISPLAY").toStdString();
  std::string platform = option_value(argc, argv, "platform");
  if (platform.empty()) platform = qEnvironmentVariable("QT_QPA_PLATFORM").toStdString();
  std::string description;
  if (!display.empty()) {
    description += '"';
    description += display;
    description += '"';
  }
  if (!platform.empty()) {
    if (!description.empty()) description += ' ';
    description += "(platform \"";
    description += platform;
    description += "\")";
  }
  return description;
}

void hold_startup_message(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (type != QtFatalMsg) {
    held_messages.push_back(qFormatLogMessage(type, context, text));
    return;
  }
  std::fflush(stdout);
  std::fprintf(stderr, "%s: cannot open display %s\n", program_name().c_str(),
               failed_display.c_str());
  std::fflush(stderr);
  // Qt cannot go on from here: nothing is left to unwind into.
  std::_Exit(EXIT_FAILURE);
}

}  // namespace

startup_message_capture::startup_message_capture(int argc, char** argv) {
  failed_display = display_description(argc, argv);
  held_messages.clear();
  previous_ = qInstallMessageHandler(hold_startup_message);
}

startup_message_capture::~startup_message_capture() {
  qInstallMessageHandler(previous_);
  for (const QString& message : held_messages)
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
  held_messages.clear();
}

}  // namespace mapplot
