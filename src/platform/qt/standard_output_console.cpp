#include "platform/qt/standard_output_console.hpp"

#include <cerrno>
#include <cstdio>

#include "platform/cancellation.hpp"
#include "textout/text_line.hpp"

namespace mapplot {

void standard_output_console::write_line(std::string_view line) {
  errno = 0;
  const bool written = std::fwrite(line.data(), 1, line.size(), stdout) == line.size() &&
                       std::fputc('\n', stdout) != EOF && std::fflush(stdout) == 0;
  if (written) return;
  const int failure = errno != 0 ? errno : EIO;
  int expected = 0;
  error_.compare_exchange_strong(expected, failure);
  if (failure == EPIPE) request_cancellation();
}

std::size_t standard_output_console::line_width() const {
  return file_line_width;
}

}  // namespace mapplot
