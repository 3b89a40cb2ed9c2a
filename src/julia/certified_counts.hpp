#pragma once

#include <cstddef>

// Entry points of the double-precision escape counts, one per instruction set.
// Each lives in a file compiled for its instruction set; call one only where
// escape_path_supported says the processor has it.
namespace mapplot::certified {

// Every instruction set works on groups of points that divide this.
inline constexpr std::size_t points_multiple = 16;

// For the starts (start_re[i], im), i < points (a multiple of
// points_multiple), each part the extended start rounded to double, writes the escape-time count to
// counts[i] and sets undecided[i] to 1 where the count could not be proven equal to the
// extended-precision one (counts[i] is then meaningless), to 0 elsewhere.
// Every |start_re[i]| and |im| must be at most 2^64.
void escape_counts_avx512(const double* start_re, std::size_t points, double im,
                          long long last_step, float* counts, unsigned char* undecided);
void escape_counts_avx2(const double* start_re, std::size_t points, double im, long long last_step,
                        float* counts, unsigned char* undecided);

}  // namespace mapplot::certified
