#include "julia_zoom/video/piped_process.hpp"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <system_error>

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
  if (!exited) return "it was ended by signal " + std::to_string(signal_number);
  return "it ended with exit status " + std::to_string(exit_status);
}

piped_process::piped_process(const std::vector<std::string>& arguments) {
  if (arguments.empty()) fail(EINVAL, "no program to start");
  const std::string& program = arguments.front();
  int pipe_ends[2];
  if (::pipe2(pipe_ends, O_CLOEXEC) != 0) fail(errno, "cannot make a pipe to " + program);
  input_ = pipe_ends[1];
  // A frame or more fits in the pipe, so the writer seldom waits; the
  // default size is kept where the system does not allow this one.
  (void)::fcntl(input_, F_SETPIPE_SZ, 1 << 20);
  messages_ = ::memfd_create("piped-process-messages", MFD_CLOEXEC);
  if (messages_ < 0) {
    const int error = errno;
    ::close(pipe_ends[0]);
    close_descriptor(input_);
    fail(error, "cannot keep the messages of " + program);
  }

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipe_ends[0], STDIN_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, messages_, STDERR_FILENO);
  // The child starts with no blocked signals and SIGPIPE at its default,
  // whatever the spawning thread had.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t no_signals;
  sigemptyset(&no_signals);
  sigset_t pipe_signal;
  sigemptyset(&pipe_signal);
  sigaddset(&pipe_signal, SIGPIPE);
  posix_spawnattr_setsigmask(&attributes, &no_signals);
  posix_spawnattr_setsigdefault(&attributes, &pipe_signal);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

  std::vector<char*> argument_pointers;
  for (const auto& argument : arguments)
    argument_pointers.push_back(const_cast<char*>(argument.c_str()));
  argument_pointers.push_back(nullptr);
  const int error = ::posix_spawn(&pid_, program.c_str(), &actions, &attributes,
                                  argument_pointers.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  ::close(pipe_ends[0]);
  if (error != 0) {
    pid_ = -1;
    close_descriptor(input_);
    close_descriptor(messages_);
    fail(error, "cannot start " + program);
  }
}

piped_process::~piped_process() {
  if (pid_ > 0) {
    ::kill(pid_, SIGKILL);
    close_input();
    (void)wait_for_end();
  }
  close_input();
  close_descriptor(messages_);
}

bool piped_process::write_input(std::span<const std::byte> bytes) {
  if (input_ < 0) return false;
  sigpipe_guard guard;
  while (!bytes.empty()) {
    const ssize_t written = ::write(input_, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      if (errno == EPIPE) {
        guard.pipe_was_closed();
        return false;
      }
      fail(errno, "cannot write to a program's input");
    }
    bytes = bytes.subspan(static_cast<std::size_t>(written));
  }
  return true;
}

process_ending piped_process::finish() {
  close_input();
  return wait_for_end();
}

void piped_process::close_input() {
  close_descriptor(input_);
}

process_ending piped_process::wait_for_end() {
  process_ending ending;
  if (pid_ <= 0) return ending;
  int status = 0;
  while (::waitpid(pid_, &status, 0) < 0) {
    if (errno != EINTR) {
      // Someone else reaped it; nothing more can be learnt.
      pid_ = -1;
      ending.exited = true;
      ending.exit_status = EXIT_FAILURE;
      return ending;
    }
  }
  pid_ = -1;
  ending.exited = WIFEXITED(status);
  ending.exit_status = ending.exited ? WEXITSTATUS(status) : 0;
  ending.signal_number = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  // The messages are the end of what the program wrote into the unnamed file;
  // a failure explains itself in its last lines.
  constexpr off_t kept_bytes = 16 * 1024;
  struct stat written;
  off_t offset = 0;
  if (::fstat(messages_, &written) == 0 && written.st_size > kept_bytes)
    offset = written.st_size - kept_bytes;
  char buffer[4096];
  for (ssize_t got; (got = ::pread(messages_, buffer, sizeof buffer, offset)) > 0; offset += got) {
    ending.messages.append(buffer, static_cast<std::size_t>(got));
  }
  return ending;
}

}  // namespace mapplot
