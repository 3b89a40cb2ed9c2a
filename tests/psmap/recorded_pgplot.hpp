#pragma once

#include <string>
#include <vector>

// What the recording PGPLOT binding saw: one entry per routine call, with its
// numeric arguments widened to double, its texts and its arrays, each in
// argument order.
namespace mapplot::recorded_pgplot {

struct call {
  std::string routine;
  std::vector<double> numbers;
  std::vector<std::string> texts;
  std::vector<std::vector<float>> arrays;
};

std::vector<call>& calls();
std::vector<std::string> routines();
// The status the next begin calls return (1: opened).
void set_begin_status(int status);
void reset();

}  // namespace mapplot::recorded_pgplot
