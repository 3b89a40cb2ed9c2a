#include "request/temporary_files.hpp"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>

namespace mapplot {
namespace {

constexpr int table_size = 64;
constexpr std::size_t name_limit = 127;

enum slot_state : int { free_slot, being_filled, holds_file, holds_child };

// Filled while `state` says being_filled, read by the handler only once it
// says holds_file or holds_child.
struct slot {
  std::atomic<int> state{free_slot};
  int folder = -1;
  pid_t child = -1;
  char name[name_limit + 1] = {};
};
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler reads the states");

slot table[table_size];

constexpr int fatal_signals[] = {SIGHUP,  SIGINT,  SIGQUIT, SIGTERM, SIGPIPE, SIGALRM,
                                 SIGXCPU, SIGABRT, SIGSEGV, SIGBUS,  SIGFPE,  SIGILL};

// Async-signal-safe throughout: atomics, kill, unlinkat, sigaction, raise.
void clean_up_and_end(int signal_number) {
  const int saved_errno = errno;
  for (slot& each : table)
    if (each.state.load(std::memory_order_acquire) == holds_child) {
      ::kill(-each.child, SIGKILL);
      ::kill(each.child, SIGKILL);
    }
  for (slot& each : table)
    if (each.state.load(std::memory_order_acquire) == holds_file)
      ::unlinkat(each.folder, each.name, 0);
  // Ended as the signal would have ended it: the signal is blocked while its
  // handler runs, so the raised one arrives, at its default, on return (a
  // fault arrives again from the instruction that caused it).
  struct sigaction default_action = {};
  default_action.sa_handler = SIG_DFL;
  sigemptyset(&default_action.sa_mask);
  ::sigaction(signal_number, &default_action, nullptr);
  ::raise(signal_number);
  errno = saved_errno;
}

}  // namespace

temporary_files_handler temporary_files_signal_handler() noexcept {
  return clean_up_and_end;
}

namespace {

void install_handlers() {
  struct sigaction handler = {};
  handler.sa_handler = clean_up_and_end;
  // One clean-up at a time: the other fatal signals wait for its end.
  sigemptyset(&handler.sa_mask);
  for (const int signal_number : fatal_signals) sigaddset(&handler.sa_mask, signal_number);
  handler.sa_flags = SA_RESTART;
  for (const int signal_number : fatal_signals) {
    struct sigaction current;
    if (::sigaction(signal_number, nullptr, &current) != 0) continue;
    if ((current.sa_flags & SA_SIGINFO) == 0 && current.sa_handler == SIG_DFL)
      ::sigaction(signal_number, &handler, nullptr);
  }
  struct sigaction current;
  if (::sigaction(SIGXFSZ, nullptr, &current) == 0 && (current.sa_flags & SA_SIGINFO) == 0 &&
      current.sa_handler == SIG_DFL)
    ::signal(SIGXFSZ, SIG_IGN);
}

// A free slot, marked being_filled, or null.
slot* claim_slot() {
  static std::once_flag installed;
  std::call_once(installed, install_handlers);
  for (slot& each : table) {
    int expected = free_slot;
    if (each.state.compare_exchange_strong(expected, being_filled, std::memory_order_acquire))
      return &each;
  }
  return nullptr;
}

int index_of(const slot& filled) {
  return static_cast<int>(&filled - table);
}

}  // namespace

int register_temporary_file(int folder, std::string_view name) noexcept {
  if (name.empty() || name.size() > name_limit || name.find('\0') != std::string_view::npos)
    return -1;
  slot* const free = claim_slot();
  if (free == nullptr) return -1;
  free->folder = folder;
  std::memcpy(free->name, name.data(), name.size());
  free->name[name.size()] = '\0';
  free->state.store(holds_file, std::memory_order_release);
  return index_of(*free);
}

int register_child_process(pid_t child) noexcept {
  if (child <= 0) return -1;
  slot* const free = claim_slot();
  if (free == nullptr) return -1;
  free->child = child;
  free->state.store(holds_child, std::memory_order_release);
  return index_of(*free);
}

void withdraw_registration(int registration) noexcept {
  if (registration < 0 || registration >= table_size) return;
  table[registration].state.store(free_slot, std::memory_order_release);
}

}  // namespace mapplot
