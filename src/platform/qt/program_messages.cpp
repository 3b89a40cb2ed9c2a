#include "platform/qt/program_messages.hpp"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "textout/write_console.hpp"

namespace mapplot {
namespace {

std::string running_program = "mapplot";

}  // namespace

void set_program_name(std::string_view name) {
  running_program = std::string(name);
}

const std::string& program_name() {
  return running_program;
}

void print_on_standard_error(std::string_view message) {
  std::fflush(stdout);
  std::fprintf(stderr, "%s: %.*s\n", running_program.c_str(), static_cast<int>(message.size()),
               message.data());
  std::fflush(stderr);
}

int checked_standard_output(int status, int console_error) {
  int error = console_error != 0 ? console_error : standard_output_error();
  if (std::fflush(stdout) != 0 && error == 0) error = errno != 0 ? errno : EIO;
  if (error == 0 && std::ferror(stdout)) error = EIO;
  if (error == 0) return status;
  print_on_standard_error(std::string("cannot write standard output: ") + std::strerror(error));
  return EXIT_FAILURE;
}

}  // namespace mapplot
