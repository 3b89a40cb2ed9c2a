#pragma once

#include <cstdint>
#include <optional>

namespace mapplot {

// A positive single value rounded to `digits` significant decimal digits:
// value ~ significand * 10^(exponent - digits + 1), with
// 10^(digits - 1) <= significand < 10^digits.
struct decimal_rounding {
  std::uint64_t significand;
  int exponent;
};

// Exact rounding (halves to even, as printf rounds) of a finite, positive
// `value` to 1..9 significant digits, in 128-bit integer arithmetic. Empty
// where the exact fraction does not fit 128 bits, which happens only for
// magnitudes below about 1e-37; callers fall back to a general conversion.
std::optional<decimal_rounding> round_to_digits(float value, int digits);

}  // namespace mapplot
