// Writes a file through output_file in a process of its own, for what only
// a whole process shows: fatal signals, a file size limit, a preloaded fault.
//
//   output_file_probe write NAME SIZE    writes SIZE bytes, exit 1 on failure
//   output_file_probe hold NAME [own]    writes, says "holding PATH", waits for
//                                        a signal; with "own", its own handlers
//                                        catch SIGINT, SIGTERM and SIGHUP and it
//                                        ends through its destructors (status 3)
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <string_view>

#include "request/output_file.hpp"

namespace {

std::atomic<bool> stopping{false};

void note_stop(int) {
  stopping = true;
}

int hold(const char* name, bool own_handlers) {
  if (own_handlers) {
    struct sigaction handler = {};
    handler.sa_handler = note_stop;
    sigemptyset(&handler.sa_mask);
    for (const int signal_number : {SIGINT, SIGTERM, SIGHUP})
      sigaction(signal_number, &handler, nullptr);
  }
  mapplot::output_file file(name, "data file", mapplot::output_file::writer::this_process);
  file.write(std::string(1000, 'h'));
  std::printf("holding %s\n", file.temporary_path().c_str());
  std::fflush(stdout);
  while (!stopping) pause();
  return 3;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string_view action = argc > 1 ? argv[1] : "";
  try {
    if (action == "write" && argc == 4) {
      mapplot::output_file file(argv[2], "data file", mapplot::output_file::writer::this_process);
      file.write(std::string(std::strtoul(argv[3], nullptr, 10), 'n'));
      file.commit();
      std::printf("written\n");
      return 0;
    }
    if (action == "hold" && (argc == 3 || argc == 4)) return hold(argv[2], argc == 4);
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "%s\n", failure.what());
    return 1;
  }
  std::fprintf(stderr, "usage: output_file_probe write NAME SIZE | hold NAME [own]\n");
  return 2;
}
