#include <cstdio>
#include <mutex>
#include <utility>

#include "textout/write_console.hpp"

namespace mapplot {
namespace {

class standard_output_sink final : public console_sink {
 public:
  void write_line(std::string_view line) override {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
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

void write_console(std::initializer_list<line_item> items) {
  std::scoped_lock lock(writing);
  console_sink* sink = installed;
  if (sink == nullptr) sink = &standard_output;
  for (const auto& line : assemble_lines(items, sink->line_width())) sink->write_line(line);
}

}  // namespace mapplot
