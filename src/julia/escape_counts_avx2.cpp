// Compiled with -mavx2 -mfma; called only after escape_path_supported has
// checked the processor. Includes nothing but the intrinsics and the kernel,
// see certified_kernel.hpp for why.
#include <immintrin.h>

#include "julia/certified_counts.hpp"
#include "julia/certified_kernel.hpp"

namespace mapplot::certified {
namespace {

// Masks are vectors whose lanes are all ones or all zeros.
struct avx2_lanes {
  using vec = __m256d;
  using mask = __m256d;
  static constexpr std::size_t width = 4;
  static constexpr std::size_t interleaved = 4;

  static vec splat(double x) { return _mm256_set1_pd(x); }
  static vec load(const double* p) { return _mm256_loadu_pd(p); }
  static vec add(vec a, vec b) { return _mm256_add_pd(a, b); }
  static vec sub(vec a, vec b) { return _mm256_sub_pd(a, b); }
  static vec mul(vec a, vec b) { return _mm256_mul_pd(a, b); }
  static vec fma(vec a, vec b, vec c) { return _mm256_fmadd_pd(a, b, c); }
  static vec max(vec a, vec b) { return _mm256_max_pd(a, b); }
  static vec abs(vec a) { return _mm256_andnot_pd(_mm256_set1_pd(-0.0), a); }
  static vec negate(vec a) { return _mm256_sub_pd(_mm256_setzero_pd(), a); }

  // t with sqrt(s) + h <= (1 + 2^-12) t, for s > 0 and h >= 0: the square
  // root and the sum are correctly rounded, so (1 + 2^-51) t would do.
  static vec magnitude_plus(vec s, vec h) { return _mm256_add_pd(_mm256_sqrt_pd(s), h); }

  static mask greater(vec a, vec b) { return _mm256_cmp_pd(a, b, _CMP_GT_OQ); }
  static mask less(vec a, vec b) { return _mm256_cmp_pd(a, b, _CMP_LT_OQ); }
  static mask both(mask a, mask b) { return _mm256_and_pd(a, b); }
  static mask either(mask a, mask b) { return _mm256_or_pd(a, b); }
  static mask but_not(mask a, mask b) { return _mm256_andnot_pd(b, a); }
  static mask all() { return _mm256_castsi256_pd(_mm256_set1_epi64x(-1)); }
  static mask none() { return _mm256_setzero_pd(); }
  static bool any(mask a) { return _mm256_movemask_pd(a) != 0; }
  static vec select(mask m, vec if_set, vec otherwise) {
    return _mm256_blendv_pd(otherwise, if_set, m);
  }

  static void store_counts(float* out, vec counts) { _mm_storeu_ps(out, _mm256_cvtpd_ps(counts)); }
  static void store_flags(unsigned char* out, mask m) {
    const int bits = _mm256_movemask_pd(m);
    for (std::size_t i = 0; i < width; ++i) out[i] = static_cast<unsigned char>((bits >> i) & 1);
  }
};

}  // namespace

bool escape_counts_avx2(const double* start_re, std::size_t points, double im, double im_error,
                        long long last_step, float* counts, unsigned char* undecided,
                        const stop_check* stop) {
  return escape_counts<avx2_lanes>(start_re, points, im, im_error, last_step, counts, undecided,
                                   stop);
}

}  // namespace mapplot::certified
