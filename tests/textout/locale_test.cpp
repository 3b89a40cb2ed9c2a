// Numbers come out the same under any global locale: a program on screen has
// it set from the user's environment, and a decimal comma or Turkish case
// rules must not reach the fields.
#include <gtest/gtest.h>

#include <cctype>
#include <clocale>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "test_locales.hpp"
#include "textout/generalised_number.hpp"
#include "textout/integer_field.hpp"
#include "textout/real_field.hpp"
#include "textout/text_line.hpp"

namespace mapplot {
namespace {

// Every form the formatters write: fixed and exponent forms, both signs,
// wide exponents, the edges of the integer range, a wrapped statement.
std::vector<std::string> all_forms() {
  std::vector<std::string> written;
  for (const float value : {1.77f, 0.5f, -1.5f, 1.5e-5f, 0.0f, 9999999.0f, -2.5e8f, 0.1f, 1e-40f,
                            std::numeric_limits<float>::infinity()})
    written.push_back(real_field(value));
  for (const std::int32_t value : {0, 1234567, -1234567, std::numeric_limits<std::int32_t>::min()})
    written.push_back(integer_field(value));
  for (int digits = 1; digits <= 16; ++digits)
    for (const double value : {1.77, 0.15e-4, -0.5, 12345.0, 1.5e120, -1.5e-120, 0.0, 100.5})
      written.push_back(generalised_number(value, digits));
  for (const auto& line : assemble_lines(
           {std::int32_t{7}, std::string_view(" Ray = "), 1.77f, 0.15e-4f, 123456.7f, -0.25f}, 40))
    written.push_back(line);
  return written;
}

class LocaleIndependence : public ::testing::TestWithParam<const char*> {};

TEST_P(LocaleIndependence, FieldsAreWrittenAsUnderC) {
  if (!testing::can_build_locales()) GTEST_SKIP() << "localedef is not installed";
  const auto problem = testing::build_test_locale(GetParam());
  ASSERT_FALSE(problem) << *problem;
  const std::vector<std::string> in_c = all_forms();
  ASSERT_EQ(in_c[0], "   1.770000    ");

  testing::global_locale user(GetParam());
  ASSERT_TRUE(user.set()) << GetParam();
  // The locale is in force, or this test would show nothing.
  const std::string point = std::localeconv()->decimal_point;
  if (GetParam() == std::string(testing::decimal_comma_locale)) {
    ASSERT_EQ(point, ",");
  } else {
    ASSERT_NE(std::toupper('i'), 'I');
  }
  EXPECT_EQ(all_forms(), in_c);
}

INSTANTIATE_TEST_SUITE_P(UserLocales, LocaleIndependence,
                         ::testing::Values(testing::decimal_comma_locale, testing::turkish_locale));

}  // namespace
}  // namespace mapplot
