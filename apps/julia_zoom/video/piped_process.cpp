#include "julia_zoom/video/piped_process.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <system_error>

#include "platform/cancellation.hpp"

extern char** environ;

namespace mapplot {
namespace {

bool is_executable_file(const std::string& path) {
  struct stat status;
  return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
         ::access(path.c_str(), X_OK) == 0;
}

[[noreturn]] void fail(int error_number, const std::string& what) {
  throw std::system_error(error_number, std::generic_category(), what);
}

// Closes the descriptor if it is open and marks it closed.
void close_descriptor(int& descriptor) {
  if (descriptor >= 0) ::close(descriptor);
  descriptor = -1;
}

// Blocks SIGPIPE on this thread while a pipe is written, and swallows the
// signal a closed pipe raised, so that the write reports EPIPE instead of
// ending the process. The signal goes to the writing thread, and other threads
// keep their own handling.
class sigpipe_guard {
 public:
  sigpipe_guard() {
    sigemptyset(&pipe_signal_);
    sigaddset(&pipe_signal_, SIGPIPE);
    sigset_t pending;
    sigpending(&pending);
    was_pending_ = sigismember(&pending, SIGPIPE) == 1;
    pthread_sigmask(SIG_BLOCK, &pipe_signal_, &previous_mask_);
  }
  ~sigpipe_guard() {
    if (raised_ && !was_pending_) {
      const timespec no_wait{};
      while (sigtimedwait(&pipe_signal_, nullptr, &no_wait) < 0 && errno == EINTR) {
      }
    }
    pthread_sigmask(SIG_SETMASK, &previous_mask_, nullptr);
  }
  sigpipe_guard(const sigpipe_guard&) = delete;
  sigpipe_guard& operator=(const sigpipe_guard&) = delete;

  void pipe_was_closed() { raised_ = true; }

 private:
  sigset_t pipe_signal_;
  sigset_t previous_mask_;
  bool was_pending_ = false;
  bool raised_ = false;
};

// The last `limit` bytes an unnamed file holds.
std::string tail_of(int descriptor, off_t limit) {
  std::string text;
  if (descriptor < 0) return text;
  struct stat written;
  off_t offset = 0;
  if (::fstat(descriptor, &written) == 0 && written.st_size > limit)
    offset = written.st_size - limit;
  char buffer[4096];
  for (ssize_t got; (got = ::pread(descriptor, buffer, sizeof buffer, offset)) > 0; offset += got)
    text.append(buffer, static_cast<std::size_t>(got));
  return text;
}

int make_unnamed_file(const char* name) {
  const int descriptor = ::memfd_create(name, MFD_CLOEXEC);
  if (descriptor < 0) fail(errno, "cannot keep what a program writes");
  return descriptor;
}

int cancellation_descriptor_or_none() noexcept {
  try {
    return cancellation_descriptor();
  } catch (...) {
    return -1;  // cancellation is then noticed at the next tick
  }
}

constexpr int stop_grace_milliseconds = 2000;
constexpr int tick_milliseconds = 50;

}  // namespace

std::string find_program(std::string_view name) {
  if (name.empty()) return {};
  if (name.find('/') != std::string_view::npos) {
    std::string path(name);
    return is_executable_file(path) ? path : std::string{};
  }
  const char* search_path = std::getenv("PATH");
  std::string_view folders = search_path != nullptr ? search_path : "/usr/local/bin:/usr/bin:/bin";
  while (true) {
    const auto colon = folders.find(':');
    const std::string_view folder = folders.substr(0, colon);
    // An empty entry means the current folder.
    std::string candidate(folder.empty() ? std::string_view(".") : folder);
    candidate.append("/").append(name);
    if (is_executable_file(candidate)) return candidate;
    if (colon == std::string_view::npos) return {};
    folders.remove_prefix(colon + 1);
  }
}

std::string process_ending::reason() const {
  std::string_view text = messages;
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
    text.remove_suffix(1);
  if (!text.empty()) {
    const auto line_start = text.find_last_of('\n');
    return std::string(line_start == std::string_view::npos ? text : text.substr(line_start + 1));
  }
  if (!exited) {
    const char* description = ::sigdescr_np(signal_number);
    return "it was ended by signal " + std::to_string(signal_number) +
           (description != nullptr ? " (" + std::string(description) + ")" : std::string());
  }
  return "it ended with exit status " + std::to_string(exit_status);
}

piped_process::piped_process(const std::vector<std::string>& arguments, bool keep_output) {
  if (arguments.empty()) fail(EINVAL, "no program to start");
  const std::string& program = arguments.front();
  int pipe_ends[2];
  if (::pipe2(pipe_ends, O_CLOEXEC) != 0) fail(errno, "cannot make a pipe to " + program);
  input_ = pipe_ends[1];
  const int child_input = pipe_ends[0];
  try {
    // Our end never blocks: waits are poll()s that cancellation can end.
    if (::fcntl(input_, F_SETFL, O_NONBLOCK) != 0) fail(errno, "cannot make a pipe to " + program);
    // A frame or more fits in the pipe, so the writer seldom waits; the
    // default size is kept where the system does not allow this one.
    (void)::fcntl(input_, F_SETPIPE_SZ, 1 << 20);
    messages_ = make_unnamed_file("piped-process-messages");
    if (keep_output) output_ = make_unnamed_file("piped-process-output");
  } catch (...) {
    ::close(child_input);
    close_descriptor(input_);
    close_descriptor(messages_);
    throw;
  }

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, child_input, STDIN_FILENO);
  if (output_ >= 0) {
    posix_spawn_file_actions_adddup2(&actions, output_, STDOUT_FILENO);
  } else {
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  }
  posix_spawn_file_actions_adddup2(&actions, messages_, STDERR_FILENO);
  // The child starts with no blocked signals and SIGPIPE and SIGXFSZ at their
  // defaults, whatever this process has.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t no_signals;
  sigemptyset(&no_signals);
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  sigaddset(&defaults, SIGXFSZ);
  posix_spawnattr_setsigmask(&attributes, &no_signals);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  // A process group of its own, so that stopping it stops whatever it
  // started too (a wrapper script's ffmpeg), and a terminal's Ctrl+C reaches
  // only this process, which stops it in order.
  posix_spawnattr_setpgroup(&attributes, 0);
  posix_spawnattr_setflags(&attributes,
                           POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);

  std::vector<char*> argument_pointers;
  for (const auto& argument : arguments)
    argument_pointers.push_back(const_cast<char*>(argument.c_str()));
  argument_pointers.push_back(nullptr);
  const int error = ::posix_spawn(&pid_, program.c_str(), &actions, &attributes,
                                  argument_pointers.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  ::close(child_input);
  if (error != 0) {
    pid_ = -1;
    close_descriptor(input_);
    close_descriptor(output_);
    close_descriptor(messages_);
    fail(error, "cannot start " + program);
  }
  registration_ = temporary_registration(register_child_process(pid_));
  // Where the kernel offers it, a descriptor that tells of the end without a
  // tick; otherwise waits look every tick.
  end_signal_ = static_cast<int>(::syscall(SYS_pidfd_open, pid_, 0));
}

piped_process::~piped_process() {
  (void)stop();
  close_descriptor(input_);
  close_descriptor(output_);
  close_descriptor(messages_);
}

piped_process::input_outcome piped_process::write_input(std::span<const std::byte> bytes,
                                                        std::chrono::milliseconds stall_limit) {
  if (input_ < 0) return input_outcome::closed;
  if (cancellation_requested()) stop_for_cancellation();
  const int cancellation = cancellation_descriptor_or_none();
  sigpipe_guard guard;
  auto last_taken = std::chrono::steady_clock::now();
  while (!bytes.empty()) {
    const ssize_t written = ::write(input_, bytes.data(), bytes.size());
    if (written > 0) {
      bytes = bytes.subspan(static_cast<std::size_t>(written));
      last_taken = std::chrono::steady_clock::now();
      continue;
    }
    if (written < 0 && errno == EINTR) continue;
    if (written < 0 && errno == EPIPE) {
      guard.pipe_was_closed();
      return input_outcome::closed;
    }
    if (written < 0 && errno != EAGAIN) fail(errno, "cannot write to a program's input");

    const auto waited = std::chrono::steady_clock::now() - last_taken;
    if (waited >= stall_limit) return input_outcome::stalled;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(stall_limit - waited).count();
    pollfd watched[2] = {{input_, POLLOUT, 0}, {cancellation, POLLIN, 0}};
    const int timeout =
        static_cast<int>(std::min<long long>(left, cancellation >= 0 ? left : tick_milliseconds));
    if (::poll(watched, cancellation >= 0 ? 2 : 1, timeout) < 0 && errno != EINTR)
      fail(errno, "cannot wait for a program's input");
    if (cancellation_requested()) stop_for_cancellation();
  }
  return input_outcome::taken;
}

process_ending piped_process::finish() {
  close_descriptor(input_);
  if (pid_ <= 0) return {};
  if (wait_for_end(-1, true) == wait_outcome::cancelled) stop_for_cancellation();
  return reap();
}

process_ending piped_process::stop() noexcept {
  close_descriptor(input_);
  if (pid_ <= 0) return {};
  ::kill(-pid_, SIGTERM);
  (void)wait_for_end(stop_grace_milliseconds, false);
  // The group's number stays ours until the program is reaped: what it
  // started and left running goes too.
  ::kill(-pid_, SIGKILL);
  (void)wait_for_end(-1, false);
  return reap();
}

void piped_process::stop_for_cancellation() {
  (void)stop();
  throw program_cancelled();
}

piped_process::wait_outcome piped_process::wait_for_end(int timeout_milliseconds,
                                                        bool cancellable) noexcept {
  const auto started = std::chrono::steady_clock::now();
  const int cancellation = cancellable ? cancellation_descriptor_or_none() : -1;
  for (;;) {
    // Ended and not yet reaped: WNOWAIT leaves the pid ours until reap().
    siginfo_t info = {};
    if (::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) != 0) {
      if (errno != EINTR) return wait_outcome::ended;  // reaped elsewhere: nothing to wait for
      continue;
    }
    if (info.si_pid == pid_) return wait_outcome::ended;
    if (cancellable && cancellation_requested()) return wait_outcome::cancelled;

    int timeout = -1;
    if (timeout_milliseconds >= 0) {
      const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(
                              std::chrono::steady_clock::now() - started)
                              .count();
      if (waited >= timeout_milliseconds) return wait_outcome::timed_out;
      timeout = static_cast<int>(timeout_milliseconds - waited);
    }
    pollfd watched[2];
    int count = 0;
    if (end_signal_ >= 0) watched[count++] = {end_signal_, POLLIN, 0};
    if (cancellation >= 0) watched[count++] = {cancellation, POLLIN, 0};
    const bool ticking = end_signal_ < 0 || (cancellable && cancellation < 0);
    if (ticking) timeout = timeout < 0 ? tick_milliseconds : std::min(timeout, tick_milliseconds);
    (void)::poll(watched, static_cast<nfds_t>(count), timeout);
  }
}

process_ending piped_process::reap() noexcept {
  process_ending ending;
  if (pid_ <= 0) return ending;
  // Withdrawn before the pid is freed, so that a fatal signal never kills
  // another process that takes the number.
  registration_.reset();
  int status = 0;
  pid_t reaped;
  while ((reaped = ::waitpid(pid_, &status, 0)) < 0 && errno == EINTR) {
  }
  pid_ = -1;
  close_descriptor(end_signal_);
  if (reaped < 0) {
    // Someone else reaped it; nothing more can be learnt.
    ending.exited = true;
    ending.exit_status = EXIT_FAILURE;
    return ending;
  }
  ending.exited = WIFEXITED(status);
  ending.exit_status = ending.exited ? WEXITSTATUS(status) : 0;
  ending.signal_number = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  // A failure explains itself in its last lines.
  ending.messages = tail_of(messages_, 16 * 1024);
  ending.output = tail_of(output_, 1024 * 1024);
  return ending;
}

}  // namespace mapplot
