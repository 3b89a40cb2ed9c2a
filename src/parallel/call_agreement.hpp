#pragma once

#include <mpi.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mapplot::parallel {

// What a rank is doing when the ranks meet: one of the map calls, or having
// ended its program (the ranks of a windowed run wait there for the others).
enum class call_kind : std::uint64_t {
  program_ended = 0,
  screen_map = 1,
  postscript_map = 2,
  data_map = 3
};

// One rank's block: the global column and row of its first cell and how many
// columns and rows it holds.
struct block_shape {
  std::size_t first_x = 0;
  std::size_t first_y = 0;
  std::size_t columns = 0;
  std::size_t rows = 0;
  bool holds_cells() const { return columns != 0 && rows != 0; }
};

// What a rank brings to a meeting. The root also tells whether its windowing
// layer has been cancelled and whether it has a console to wait on.
struct call_description {
  call_kind kind = call_kind::program_ended;
  std::size_t value_size = 0;
  block_shape block;
  std::size_t grid_columns = 0;  // the block's z.nx and z.ny
  std::size_t grid_rows = 0;
  bool values_missing = false;  // z.data null under cells
  std::uint64_t options_digest = 0;
  bool root_cancelled = false;
  bool root_has_console = true;
  bool waits_for_enter = false;  // screen_map with ownwindow false
};

// The call every rank agreed to make, and the global grid its blocks tile.
struct agreed_call {
  int rank = 0;
  int size = 1;
  std::size_t nx = 0;
  std::size_t ny = 0;
  std::vector<block_shape> blocks;  // one per rank
};

// Collective: every rank's description reaches every rank, and each finds
// the same verdict. Throws on every rank alike when the calls, value types,
// options or blocks do not agree, or when the root's layer was cancelled.
// `operation` names the call in messages ("screen_map").
agreed_call agree_on_call(MPI_Comm comm, const call_description& mine, std::string_view operation);

// Collective, for a rank whose program has ended: meets the others until
// every rank's program has ended. `cancelled` is the root's word that its
// layer was cancelled; the other ranks' map calls then throw the
// cancellation.
void wait_for_every_program(MPI_Comm comm, bool cancelled);

// A digest of a call's options, the same on every rank for the same options.
class options_digest {
 public:
  template <class Value>
  options_digest& add(const Value& value) {
    add_bytes(&value, sizeof value);
    return *this;
  }
  options_digest& add_text(std::string_view text);
  template <class Optional>
  options_digest& add_optional(const Optional& value) {
    add(value.has_value());
    if (value) add(*value);
    return *this;
  }
  options_digest& add_optional_text(const std::optional<std::string_view>& text) {
    add(text.has_value());
    if (text) add_text(*text);
    return *this;
  }
  // What every output's options begin with.
  template <class Options>
  options_digest& add_common_options(const Options& options) {
    return add_optional(options.logscale)
        .add_optional_text(options.xlabel)
        .add_optional_text(options.ylabel)
        .add_optional_text(options.title);
  }
  std::uint64_t value() const { return hash_; }

 private:
  void add_bytes(const void* bytes, std::size_t size);
  std::uint64_t hash_ = 14695981039346656037ull;
};

}  // namespace mapplot::parallel
