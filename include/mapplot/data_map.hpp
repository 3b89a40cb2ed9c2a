#pragma once

#include <mapplot/map_request.hpp>
#include <span>
#include <string_view>

namespace mapplot {

// Writes the map request as a text data file ("Map.dat" by default), then
// reports "Output in <file>" on the console.
//
// The file:
// - appears under its name only when complete: it is written beside the
//   target under a temporary name, flushed to the disk and renamed over it.
//   A call that fails keeps an earlier file of that name byte for byte and
//   leaves no temporary file; two processes writing one name at once leave
//   one of their files, whole. Its permissions and owner are kept.
// - The name (blanks around it removed) is a path taken literally: "-" or
//   "?x" name files like any other, and it is never cut. A symbolic link is
//   written through and kept, a dangling one too; a device or FIFO under the
//   name is written in place.
// - Control characters in labels and title are written as blanks, so the
//   last three lines stay three; texts are cut before a UTF-8 character
//   that would not fit, never inside one.
//
// Throws:
// - std::system_error naming the file and the reason when it cannot be
//   created or written (missing folder, full disk, file size limit, ...).
// - std::invalid_argument, before anything is written, for a blank file
//   name, a name holding a NUL byte, or a grid whose nx * ny overflows the
//   size of an array.
//
// The values are written straight from the caller's arrays: a grid is
// already in the file's order, and double values are rounded to single
// precision as they are written. Nothing is copied.
void data_map(std::span<const float> x, std::span<const float> y, std::span<const float> z,
              const data_options& options = {});
void data_map(std::span<const double> x, std::span<const double> y, std::span<const double> z,
              const data_options& options = {});
void data_map(std::span<const float> x, std::span<const float> y, grid_view<float> z,
              const data_options& options = {});
void data_map(std::span<const double> x, std::span<const double> y, grid_view<double> z,
              const data_options& options = {});

}  // namespace mapplot
