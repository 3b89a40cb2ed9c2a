#pragma once

#include <cstddef>

// Entry points of the double-precision escape counts, one per instruction set.
// Each lives in a file compiled for its instruction set; call one only where
// escape_path_supported says the processor has it.
namespace mapplot::certified {

// Every instruction set works on groups of points that divide this.
inline constexpr std::size_t points_multiple = 16;

// Steps between two questions whether to stop: well under a millisecond.
inline constexpr long long steps_between_stop_checks = 1 << 14;

// Asked every few thousand steps of a loop; true gives the computation up.
// A plain function pointer, so that the kernels include nothing of the
// standard library.
struct stop_check {
  bool (*requested)(const void* context);
  const void* context;
};

// For the starts (start_re[i], im), i < points (a multiple of
// points_multiple), each part the extended start rounded to double, writes
// the escape-time count to counts[i] and sets undecided[i] to 1 where the
// count could not be proven equal to the extended-precision one (counts[i] is
// then meaningless), to 0 elsewhere. im_error bounds |im - y| for the
// extended imaginary part y (0 where im is y itself, as for a float row).
// Every |start_re[i]| and |im| must be at most 2^64.
// Returns false, with counts and flags meaningless, once `stop` (if given)
// asks to stop.
bool escape_counts_avx512(const double* start_re, std::size_t points, double im, double im_error,
                          long long last_step, float* counts, unsigned char* undecided,
                          const stop_check* stop);
bool escape_counts_avx2(const double* start_re, std::size_t points, double im, double im_error,
                        long long last_step, float* counts, unsigned char* undecided,
                        const stop_check* stop);

}  // namespace mapplot::certified
