#include <QApplication>
#include <mapplot/application.hpp>
#include <optional>
#include <stdexcept>
#include <string>

#include "platform/cancellation.hpp"
#include "platform/qt/cancelling_signals.hpp"
#include "platform/qt/off_screen_run.hpp"
#include "platform/qt/on_screen_run.hpp"
#include "platform/qt/program_messages.hpp"
#include "platform/qt/standard_descriptors.hpp"
#include "platform/qt/startup_messages.hpp"
#include "platform/qt/windowing_layer_claim.hpp"
#include "platform/served/served_windows.hpp"

namespace mapplot {
namespace {

bool runs_off_screen() {
  const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
  if (platform == "offscreen") return true;
  return qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

int run_layer(int argc, char** argv, std::string_view application_name,
              const std::function<void()>& program) {
  const bool off_screen = runs_off_screen();
  // The platform has to be chosen before the application object exists.
  if (off_screen) qputenv("QT_QPA_PLATFORM", "offscreen");
  std::optional<startup_message_capture> startup(std::in_place, argc, argv);
  QApplication application(argc, argv);
  startup.reset();

  const QString name =
      QString::fromUtf8(application_name.data(), static_cast<qsizetype>(application_name.size()));
  application.setApplicationName(name);
  try {
    if (off_screen) return run_off_screen(program, application_name);
    on_screen_run run(application, name);
    return run.run(program);
  } catch (const serving_failure& error) {
    // The windows could not be served as asked: nothing has run yet.
    print_on_standard_error(error.what());
    return EXIT_FAILURE;
  }
}

}  // namespace

int run_windowed_program(int argc, char** argv, std::string_view application_name,
                         std::function<void()> program) {
  open_closed_standard_descriptors();
  if (!claim_windowing_layer())
    throw std::logic_error("run_windowed_program: a windowing layer is already running");
  struct layer_end {
    ~layer_end() { release_windowing_layer(); }
  } ends_layer;

  set_program_name(application_name);
  reset_cancellation();
  int status = EXIT_FAILURE;
  {
    const cancelling_signals cancelling;
    status = run_layer(argc, argv, application_name, program);
  }
  // Everything has unwound and Qt is gone: a signal that cancelled the run
  // now ends the process as it would have.
  end_by_cancelling_signal();
  return status;
}

}  // namespace mapplot
