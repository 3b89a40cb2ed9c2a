#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

#include "textout/generalised_number.hpp"
#include "textout/integer_field.hpp"
#include "textout/real_field.hpp"

namespace mapplot {
namespace {

TEST(IntegerField, RightJustifiedInTwelve) {
  EXPECT_EQ(integer_field(1), "           1");
  EXPECT_EQ(integer_field(335), "         335");
  EXPECT_EQ(integer_field(-7), "          -7");
  EXPECT_EQ(integer_field(std::numeric_limits<std::int32_t>::min()), " -2147483648");
}

TEST(RealField, DocumentedExamples) {
  EXPECT_EQ(real_field(0.5f), "  0.5000000    ");
  EXPECT_EQ(real_field(1.0f), "   1.000000    ");
  EXPECT_EQ(real_field(-1.5f), "  -1.500000    ");
  EXPECT_EQ(real_field(100.0f), "   100.0000    ");
  EXPECT_EQ(real_field(9999999.0f), "   9999999.    ");
  EXPECT_EQ(real_field(0.0f), "  0.0000000E+00");
  EXPECT_EQ(real_field(0.001f), "  1.0000000E-03");
  EXPECT_EQ(real_field(-2.5e8f), " -2.5000000E+08");
  EXPECT_EQ(real_field(0.1f), "  0.1000000    ");
}

TEST(RealField, NotationFollowsTheRoundedMagnitude) {
  EXPECT_EQ(real_field(1.9f), "   1.900000    ");
  EXPECT_EQ(real_field(0.1020937f), "  0.1020937    ");
  EXPECT_EQ(real_field(9.6988976e-02f), "  9.6988976E-02");
  EXPECT_EQ(real_field(6.8934391e-08f), "  6.8934391E-08");
  // 9999999.5 rounds to 1.000000E+07 with 7 digits: scientific.
  EXPECT_EQ(real_field(10000000.0f), "  1.0000000E+07");
  // The largest single below 1 keeps seven nines.
  EXPECT_EQ(real_field(0.99999994f), "  0.9999999    ");
  EXPECT_EQ(real_field(0.099999994f), "  9.9999994E-02");
  EXPECT_EQ(real_field(std::numeric_limits<float>::max()), "  3.4028235E+38");
  EXPECT_EQ(real_field(std::numeric_limits<float>::denorm_min()), "  1.4012985E-45");
}

TEST(RealField, NonFiniteValuesAreNamed) {
  EXPECT_EQ(real_field(-std::numeric_limits<float>::infinity()), "      -Infinity");
  EXPECT_EQ(real_field(std::numeric_limits<float>::infinity()), "       Infinity");
  EXPECT_EQ(real_field(std::nanf("")), "            NaN");
}

// The widest figures fill their fields to the first character, and nothing
// is written past them: the real field goes into a buffer of exactly 15.
TEST(Fields, TheWidestFiguresFillTheirFieldsExactly) {
  EXPECT_EQ(integer_field(std::numeric_limits<std::int32_t>::min()).size(), 12u);
  EXPECT_EQ(integer_field(-999999999), "  -999999999");
  const auto field = std::make_unique<char[]>(real_field_width);
  write_real_field(field.get(), -std::numeric_limits<float>::max());
  EXPECT_EQ(std::string(field.get(), real_field_width), " -3.4028235E+38");
  write_real_field(field.get(), -1.0e-10f);
  EXPECT_EQ(std::string(field.get(), real_field_width), " -1.0000000E-10");
  write_real_field(field.get(), -0.1234567f);
  EXPECT_EQ(std::string(field.get(), real_field_width), " -0.1234567    ");
  write_real_field(field.get(), -9999999.0f);
  EXPECT_EQ(std::string(field.get(), real_field_width), "  -9999999.    ");

  // The legend's form, digits + 6 wide: a negative exponent form, and a
  // negative fraction that drops its "0", take every character.
  EXPECT_EQ(generalised_number(-1.5e-5, 3), "-.150E-04");
  EXPECT_EQ(generalised_number(-1.5e-5, 16), "-.1500000000000000E-04");
  EXPECT_EQ(generalised_number(-2.5e200, 4), "-.2500+201");
  EXPECT_EQ(generalised_number(-0.5, 3), "-.500    ");
  EXPECT_EQ(generalised_number(0.5, 3), "0.500    ");
  EXPECT_EQ(generalised_number(-123.4, 4), "-123.4    ");
  EXPECT_EQ(generalised_number(-1234, 4), "-1234.    ");
}

std::string stripped(double value, int digits) {
  std::string field = generalised_number(value, digits);
  EXPECT_EQ(field.size(), static_cast<std::size_t>(digits + 6));
  const auto first = field.find_first_not_of(' ');
  const auto last = field.find_last_not_of(' ');
  return field.substr(first, last - first + 1);
}

TEST(GeneralisedNumber, DocumentedExamplesWithThreeDigits) {
  EXPECT_EQ(stripped(12.5, 3), "12.5");
  EXPECT_EQ(stripped(0.5, 3), "0.500");
  EXPECT_EQ(stripped(-0.5, 3), "-.500");
  EXPECT_EQ(stripped(123, 3), "123.");
  EXPECT_EQ(stripped(-1, 3), "-1.00");
  EXPECT_EQ(stripped(0, 3), "0.00");
  EXPECT_EQ(stripped(12345, 3), "0.123E+05");
  EXPECT_EQ(stripped(0.001, 3), "0.100E-02");
  EXPECT_EQ(stripped(-0.001, 3), "-.100E-02");
  EXPECT_EQ(stripped(999.95, 3), "0.100E+04");
  EXPECT_EQ(stripped(255, 3), "255.");
  EXPECT_EQ(stripped(40, 3), "40.0");
  EXPECT_EQ(stripped(-2, 3), "-2.00");
}

TEST(GeneralisedNumber, FixedFormKeepsFourTrailingBlanks) {
  EXPECT_EQ(generalised_number(100.5, 5), " 100.50    ");
  EXPECT_EQ(generalised_number(100, 5), " 100.00    ");
  EXPECT_EQ(generalised_number(12345, 3), "0.123E+05");
}

TEST(GeneralisedNumber, WideExponentsDropTheLetter) {
  EXPECT_EQ(stripped(1.5e120, 3), "0.150+121");
  EXPECT_EQ(stripped(-1.5e-120, 3), "-.150-119");
  EXPECT_EQ(stripped(1e-5, 16), "0.1000000000000000E-04");
  // The letter stays up to an exponent of 99 either way and goes from 100 on.
  EXPECT_EQ(stripped(1e97, 3), "0.100E+98");
  EXPECT_EQ(stripped(1e98, 3), "0.100E+99");
  EXPECT_EQ(stripped(-1e98, 3), "-.100E+99");
  EXPECT_EQ(stripped(1e99, 3), "0.100+100");
  EXPECT_EQ(stripped(9.996e98, 3), "0.100+100") << "rounding carries into the exponent";
  EXPECT_EQ(stripped(1e-100, 3), "0.100E-99");
  EXPECT_EQ(stripped(1e-101, 3), "0.100-100");
  EXPECT_EQ(stripped(-1e-101, 3), "-.100-100");
  EXPECT_EQ(generalised_number(1e-100, 5), "0.10000E-99");
  EXPECT_EQ(generalised_number(1e-101, 5), "0.10000-100");
}

TEST(GeneralisedNumber, NonFiniteValuesAreNamed) {
  EXPECT_EQ(stripped(-std::numeric_limits<double>::infinity(), 3), "-Infinity");
  EXPECT_EQ(stripped(std::nan(""), 3), "NaN");
}

}  // namespace
}  // namespace mapplot
