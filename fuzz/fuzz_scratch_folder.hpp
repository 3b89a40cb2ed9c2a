#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "fuzz_input.hpp"

// Moves the fuzzer, once, into a fresh folder of its own that is removed at
// exit, so the files a target writes never land beside the sources. In
// memory where there is such a folder: fsync is then cheap. Returns true on
// the first call, when the target may lay out what it needs there.
inline bool enter_scratch_folder() {
  static bool entered = false;
  if (entered) return false;
  char pattern[] = "/dev/shm/mapplot-fuzz-XXXXXX";
  if (!std::filesystem::is_directory("/dev/shm"))
    std::memcpy(pattern, "/tmp/mapplot-fuzz-XXXXXX", sizeof "/tmp/mapplot-fuzz-XXXXXX");
  FUZZ_CHECK(::mkdtemp(pattern) != nullptr);
  FUZZ_CHECK(::chdir(pattern) == 0);
  static const std::string folder = pattern;
  std::atexit([] {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  });
  entered = true;
  return true;
}
