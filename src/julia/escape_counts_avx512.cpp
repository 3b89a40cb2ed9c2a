// Compiled with -mavx512f; called only after escape_path_supported has checked
// the processor. Includes nothing but the intrinsics and the kernel, see
// certified_kernel.hpp for why.
#include <immintrin.h>

// GCC 12 takes the deliberately undefined pass-through operand inside several
// AVX-512 intrinsics for an uninitialised variable.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"

#include "julia/certified_counts.hpp"
#include "julia/certified_kernel.hpp"

namespace mapplot::certified {
namespace {

struct avx512_lanes {
  using vec = __m512d;
  using mask = __mmask8;
  static constexpr std::size_t width = 8;
  static constexpr std::size_t interleaved = 2;

  static vec splat(double x) { return _mm512_set1_pd(x); }
  static vec load(const double* p) { return _mm512_loadu_pd(p); }
  static vec add(vec a, vec b) { return _mm512_add_pd(a, b); }
  static vec sub(vec a, vec b) { return _mm512_sub_pd(a, b); }
  static vec mul(vec a, vec b) { return _mm512_mul_pd(a, b); }
  static vec fma(vec a, vec b, vec c) { return _mm512_fmadd_pd(a, b, c); }
  static vec max(vec a, vec b) { return _mm512_max_pd(a, b); }
  static vec abs(vec a) { return _mm512_abs_pd(a); }
  static vec negate(vec a) { return _mm512_sub_pd(_mm512_setzero_pd(), a); }

  // t with sqrt(s) + h <= (1 + 2^-12) t, for normal s > 0 and h >= 0: the
  // reciprocal square root estimate r errs by less than 2^-14 (relative, as
  // the instruction set documents it), so s r >= (1 - 2^-14) sqrt(s), and the
  // fused s r + h adds one rounding.
  static vec magnitude_plus(vec s, vec h) { return _mm512_fmadd_pd(s, _mm512_rsqrt14_pd(s), h); }

  static mask greater(vec a, vec b) { return _mm512_cmp_pd_mask(a, b, _CMP_GT_OQ); }
  static mask less(vec a, vec b) { return _mm512_cmp_pd_mask(a, b, _CMP_LT_OQ); }
  static mask both(mask a, mask b) { return static_cast<mask>(a & b); }
  static mask either(mask a, mask b) { return static_cast<mask>(a | b); }
  static mask but_not(mask a, mask b) { return static_cast<mask>(a & ~b); }
  static mask all() { return 0xFF; }
  static mask none() { return 0; }
  static bool any(mask a) { return a != 0; }
  static vec select(mask m, vec if_set, vec otherwise) {
    return _mm512_mask_blend_pd(m, otherwise, if_set);
  }

  static void store_counts(float* out, vec counts) {
    _mm256_storeu_ps(out, _mm512_cvtpd_ps(counts));
  }
  static void store_flags(unsigned char* out, mask m) {
    for (std::size_t i = 0; i < width; ++i) out[i] = static_cast<unsigned char>((m >> i) & 1u);
  }
};

}  // namespace

bool escape_counts_avx512(const double* start_re, std::size_t points, double im, double im_error,
                          long long last_step, float* counts, unsigned char* undecided,
                          const stop_check* stop) {
  return escape_counts<avx512_lanes>(start_re, points, im, im_error, last_step, counts, undecided,
                                     stop);
}

}  // namespace mapplot::certified
