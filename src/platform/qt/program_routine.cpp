#include "platform/qt/program_routine.hpp"

#include <exception>
#include <new>

#include "platform/cancellation.hpp"
#include "platform/qt/qt_window_system.hpp"

namespace mapplot {

routine_end run_program_routine(const std::function<void()>& program, qt_window_system& system,
                                void (*report)(std::string_view message)) {
  try {
    throw_if_cancelled();
    program();
    system.present_unpresented();
    return routine_end::completed;
  } catch (const program_cancelled&) {
    return routine_end::cancelled;
  } catch (const std::bad_alloc&) {
    report("insufficient virtual memory");
  } catch (const std::exception& failure) {
    report(failure.what());
  } catch (...) {
    report("the program stopped on an unknown exception");
  }
  return routine_end::failed;
}

}  // namespace mapplot
