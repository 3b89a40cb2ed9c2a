#include <atomic>
#include <cerrno>
#include <cstdio>
#include <mutex>
#include <utility>

#include "textout/write_console.hpp"

namespace mapplot {
namespace {

// The first error met writing console lines to standard output; later
// lines are still tried, so the count of lines lost is not the point.
std::atomic<int> standard_output_failure{0};

class standard_output_sink final : public console_sink {
 public:
  void write_line(std::string_view line) override {
    errno = 0;
    const bool written = std::fwrite(line.data(), 1, line.size(), stdout) == line.size() &&
                         std::fputc('\n', stdout) != EOF && std::fflush(stdout) == 0;
    if (!written) {
      int expected = 0;
      standard_output_failure.compare_exchange_strong(expected, errno != 0 ? errno : EIO);
    }
  }
  std::size_t line_width() const override { return file_line_width; }
};

standard_output_sink standard_output;
console_sink* installed = nullptr;  // guarded by `writing`
std::mutex writing;

}  // namespace

console_sink* install_console_sink(console_sink* sink) {
  std::scoped_lock lock(writing);
  return std::exchange(installed, sink);
}

int standard_output_error() {
  return standard_output_failure.load();
}

void write_console(std::initializer_list<line_item> items) {
  std::scoped_lock lock(writing);
  console_sink* sink = installed;
  if (sink == nullptr) sink = &standard_output;
  for (const auto& line : assemble_lines(items, sink->line_width())) sink->write_line(line);
}

}  // namespace mapplot
