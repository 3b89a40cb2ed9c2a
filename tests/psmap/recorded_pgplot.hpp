#pragma once

#include <optional>
#include <string>
#include <vector>

// What the recording PGPLOT binding saw: one entry per routine call, with its
// numeric arguments widened to double, its texts and its arrays, each in
// argument order. Like PGPLOT, it leaves a file behind for a file device: at
// the end call, a small file of the device's format, complete unless told
// otherwise.
namespace mapplot::recorded_pgplot {

struct call {
  std::string routine;
  std::vector<double> numbers;
  std::vector<std::string> texts;
  std::vector<std::vector<float>> arrays;
  // Where the image's values lay when PGIMAG was given them.
  const float* grid = nullptr;
};

std::vector<call>& calls();
std::vector<std::string> routines();
// The status the next begin calls return (1: opened).
void set_begin_status(int status);
// What the next plots write into their files instead of a complete file.
void set_written_contents(std::optional<std::string> contents);
// The device list PGPLOT 5.2 offers, as device_types() returns it.
const std::vector<std::string>& pgplot_device_list();
void reset();

}  // namespace mapplot::recorded_pgplot
