#include "julia/exact_arithmetic_scope.hpp"

namespace mapplot {
namespace {

#if defined(__x86_64__) || defined(__i386__)
constexpr bool x87_and_sse = true;

// x87 control word: precision control in bits 8-9 (3 is the 64-bit
// significand), rounding in bits 10-11 (0 is to nearest), exception masks in
// bits 0-5.
constexpr unsigned short x87_precision_and_rounding = 0x0F00;
constexpr unsigned short x87_extended_to_nearest = 0x0300;
constexpr unsigned short x87_exception_masks = 0x003F;

// MXCSR: flush to zero (bit 15), rounding (bits 13-14), exception masks
// (bits 7-12), denormals are zero (bit 6).
constexpr unsigned sse_flush_rounding_denormals = 0xE040;
constexpr unsigned sse_exception_masks = 0x1F80;
constexpr unsigned sse_flags = 0x003F;

unsigned short x87_control() {
  unsigned short word;
  __asm__ volatile("fnstcw %0" : "=m"(word));
  return word;
}
void set_x87_control(unsigned short word) {
  __asm__ volatile("fldcw %0" : : "m"(word));
}
unsigned sse_control() {
  unsigned word;
  __asm__ volatile("stmxcsr %0" : "=m"(word));
  return word;
}
void set_sse_control(unsigned word) {
  __asm__ volatile("ldmxcsr %0" : : "m"(word));
}
#else
constexpr bool x87_and_sse = false;
constexpr unsigned sse_flags = 0;
unsigned short x87_control() {
  return 0;
}
void set_x87_control(unsigned short) {}
unsigned sse_control() {
  return 0;
}
void set_sse_control(unsigned) {}
#endif

}  // namespace

exact_arithmetic_scope::exact_arithmetic_scope()
    : caller_x87_control_(x87_control()), caller_sse_control_(sse_control()) {
  // Saves the whole environment, clears the flags and masks every exception.
  std::feholdexcept(&caller_);
  std::fesetround(FE_TONEAREST);
  if constexpr (x87_and_sse) {
    // The control words are set by hand too: the C library need not know the
    // x87 precision control or flush to zero.
    set_x87_control(
        static_cast<unsigned short>((caller_x87_control_ & ~x87_precision_and_rounding) |
                                    x87_extended_to_nearest | x87_exception_masks));
    set_sse_control((caller_sse_control_ & ~sse_flush_rounding_denormals) | sse_exception_masks);
  }
}

exact_arithmetic_scope::~exact_arithmetic_scope() {
  std::fesetenv(&caller_);
  if constexpr (x87_and_sse) {
    // The saved words hold the caller's own modes; the flags are back from
    // the environment restored above.
    set_x87_control(caller_x87_control_);
    set_sse_control((caller_sse_control_ & ~sse_flags) | (sse_control() & sse_flags));
  }
}

}  // namespace mapplot
