#include "textout/decimal_rounding.hpp"

#include <array>
#include <bit>
#include <cmath>
#include <cstdlib>

namespace mapplot {
namespace {

using wide = unsigned __int128;

constexpr int largest_power_of_five = 55;  // 5^55 < 2^128

constexpr std::array<wide, largest_power_of_five + 1> powers_of_five = [] {
  std::array<wide, largest_power_of_five + 1> powers{};
  powers[0] = 1;
  for (std::size_t k = 1; k < powers.size(); ++k) powers[k] = powers[k - 1] * 5;
  return powers;
}();

// 10^k for k = -45 .. 38, each rounded to a single.
const std::array<float, 84> powers_of_ten_as_singles = [] {
  std::array<float, 84> powers{};
  for (int k = -45; k <= 38; ++k)
    powers[static_cast<std::size_t>(k + 45)] = static_cast<float>(std::pow(10.0L, k));
  return powers;
}();

constexpr std::uint64_t power_of_ten(int k) {
  std::uint64_t power = 1;
  while (k-- > 0) power *= 10;
  return power;
}

int bit_width(wide number) {
  const auto high = static_cast<std::uint64_t>(number >> 64);
  if (high != 0) return 64 + std::bit_width(high);
  return std::bit_width(static_cast<std::uint64_t>(number));
}

// Whether `number` can be shifted left by `shift` bits without losing any.
bool fits_shifted(wide number, int shift) {
  return bit_width(number) + shift <= 128;
}

// value * 10^scale as the exact fraction numerator / (odd_part * 2^shift),
// where value = mantissa * 2^binary_exponent; empty when it does not fit
// 128 bits. For the usual magnitudes the denominator is a power of two and the
// division a shift.
struct fraction {
  wide numerator;
  wide odd_part;
  int shift;
};

std::optional<fraction> scaled(std::uint32_t mantissa, int binary_exponent, int scale) {
  if (std::abs(scale) > largest_power_of_five) return std::nullopt;
  fraction exact{mantissa, 1, 0};
  if (scale >= 0) {
    const wide five = powers_of_five[static_cast<std::size_t>(scale)];
    if (bit_width(exact.numerator) + bit_width(five) > 128) return std::nullopt;
    exact.numerator *= five;
  } else {
    exact.odd_part = powers_of_five[static_cast<std::size_t>(-scale)];
  }
  const int shift = binary_exponent + scale;
  if (shift >= 0) {
    if (!fits_shifted(exact.numerator, shift)) return std::nullopt;
    exact.numerator <<= shift;
  } else {
    // Room for twice the denominator, which the halfway test forms.
    if (!fits_shifted(exact.odd_part, -shift + 1)) return std::nullopt;
    exact.shift = -shift;
  }
  return exact;
}

struct division {
  wide quotient;
  wide remainder;
  wide denominator;
};

division divide(const fraction& exact) {
  if (exact.odd_part == 1) {
    const wide mask = (wide{1} << exact.shift) - 1;
    return {exact.numerator >> exact.shift, exact.numerator & mask, wide{1} << exact.shift};
  }
  const wide denominator = exact.odd_part << exact.shift;
  const wide quotient = exact.numerator / denominator;
  return {quotient, exact.numerator - quotient * denominator, denominator};
}

}  // namespace

std::optional<decimal_rounding> round_to_digits(float value, int digits) {
  // value = mantissa * 2^binary_exponent exactly, read from the bits.
  const auto bits = std::bit_cast<std::uint32_t>(value);
  const auto biased_exponent = static_cast<int>((bits >> 23) & 0xff);
  std::uint32_t mantissa = bits & 0x7fffff;
  int binary_exponent = -149;
  if (biased_exponent != 0) {
    mantissa |= 0x800000;
    binary_exponent = biased_exponent - 150;
  }
  if (mantissa == 0) return std::nullopt;

  const std::uint64_t lowest = power_of_ten(digits - 1);
  const std::uint64_t highest = power_of_ten(digits);
  // The decimal exponent from the binary one, then from a comparison with
  // the nearest single to the next power of ten; the loop below corrects the
  // rare estimate that is still one off.
  const int top_bit = binary_exponent + std::bit_width(mantissa) - 1;
  int exponent = static_cast<int>(std::floor(top_bit * 0.30102999566398120));
  if (exponent + 1 <= 38 && value >= powers_of_ten_as_singles[exponent + 1 + 45]) ++exponent;
  for (int attempt = 0; attempt < 4; ++attempt) {
    const auto exact = scaled(mantissa, binary_exponent, digits - 1 - exponent);
    if (!exact) return std::nullopt;
    const division parts = divide(*exact);
    if (parts.quotient >= highest) {
      ++exponent;
      continue;
    }
    if (parts.quotient < lowest) {
      --exponent;
      continue;
    }
    const wide twice = parts.remainder * 2;
    auto significand = static_cast<std::uint64_t>(parts.quotient);
    if (twice > parts.denominator || (twice == parts.denominator && (significand & 1) != 0))
      ++significand;
    if (significand == highest) return decimal_rounding{lowest, exponent + 1};
    return decimal_rounding{significand, exponent};
  }
  return std::nullopt;
}

}  // namespace mapplot
