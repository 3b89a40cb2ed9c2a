#pragma once

#include <cfenv>

namespace mapplot {

// The counts are defined in round-to-nearest with the x87 unit at its full
// 64-bit precision, and the double-precision kernels' proof assumes IEEE
// rounding to nearest. While one of these lives, the calling thread computes
// in exactly that environment: rounding to nearest on both units, 64-bit x87
// precision, every exception masked (non-stop arithmetic: overflow gives
// infinity, NaN starts go on), no flushing of subnormal numbers. Its end gives
// the thread back the environment it had, exception flags included. Every
// thread that computes counts holds one, for as long as it computes.
class exact_arithmetic_scope {
 public:
  exact_arithmetic_scope();
  ~exact_arithmetic_scope();
  exact_arithmetic_scope(const exact_arithmetic_scope&) = delete;
  exact_arithmetic_scope& operator=(const exact_arithmetic_scope&) = delete;

 private:
  unsigned short caller_x87_control_;
  unsigned caller_sse_control_;
  std::fenv_t caller_;
};

}  // namespace mapplot
