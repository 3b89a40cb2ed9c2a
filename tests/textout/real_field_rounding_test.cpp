// The 15-character field against printf's exact conversion, over many values:
// random bit patterns, both sides of every power of ten, halfway cases.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "textout/decimal_rounding.hpp"
#include "textout/real_field.hpp"

namespace mapplot {
namespace {

// The field as printf writes it: plainly right, and slow.
std::string printf_field(float value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.6E", static_cast<double>(value));
  const int exponent = std::atoi(std::strchr(text, 'E') + 1);
  std::string field;
  if (value != 0 && exponent >= -1 && exponent <= 6) {
    const int decimals = exponent >= 0 ? 6 - exponent : 7;
    std::snprintf(text, sizeof text, "%.*f", decimals, static_cast<double>(value));
    std::string fixed = text;
    if (decimals == 0) fixed += '.';
    return std::string(11 - fixed.size(), ' ') + fixed + "    ";
  }
  std::snprintf(text, sizeof text, "%.7E", static_cast<double>(value));
  const std::string scientific = text;
  return std::string(15 - scientific.size(), ' ') + scientific;
}

void expect_as_printf(float value) {
  ASSERT_EQ(real_field(value), printf_field(value))
      << "bits " << std::bit_cast<std::uint32_t>(value);
}

TEST(RealFieldRounding, RandomBitPatternsMatchPrintf) {
  std::mt19937 generator(20261208);
  for (int n = 0; n < 200000; ++n) {
    const float value = std::bit_cast<float>(static_cast<std::uint32_t>(generator()));
    if (std::isfinite(value)) expect_as_printf(value);
  }
}

TEST(RealFieldRounding, BothSidesOfEveryPowerOfTenMatchPrintf) {
  for (int power = -45; power <= 38; ++power) {
    const float centre = std::strtof(("1e" + std::to_string(power)).c_str(), nullptr);
    float below = centre, above = centre;
    for (int step = 0; step < 300; ++step) {
      expect_as_printf(below);
      expect_as_printf(-above);
      below = std::nextafter(below, 0.0f);
      above = std::nextafter(above, HUGE_VALF);
    }
  }
}

TEST(RealFieldRounding, HalvesRoundToEvenAsPrintfDoes) {
  // Above 2^20 the singles step by 1/8 .. 1/2: many are exact halves at the
  // seventh or eighth digit.
  for (float value = 1048576.0f; value < 1050000.0f; value += 0.5f) expect_as_printf(value);
  for (float value = 16777000.0f; value < 16777216.0f; value += 1.0f) expect_as_printf(value);
  expect_as_printf(0.03125f);
  expect_as_printf(std::ldexp(1.0f, -30));
}

TEST(DecimalRounding, CarriesIntoTheNextDecade) {
  const auto rounded = round_to_digits(9.9999996f, 7);
  ASSERT_TRUE(rounded.has_value());
  EXPECT_EQ(rounded->significand, 1000000u);
  EXPECT_EQ(rounded->exponent, 1);
  const auto smallest = round_to_digits(std::numeric_limits<float>::denorm_min(), 8);
  ASSERT_TRUE(smallest.has_value());
  EXPECT_EQ(smallest->significand, 14012985u);
  EXPECT_EQ(smallest->exponent, -45);
}

}  // namespace
}  // namespace mapplot
