#include "params/FormatFixed.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

namespace quillmere {
namespace {

// F(P, D) with "." as separator, as the result file's tables write it.
std::string F(int precision, int digits, double value) {
  return FormatFixed(value, precision, digits, '.');
}

// The number texts of the input echo and of the zone tables with the default inputs.
TEST(FormatFixed, WritesTheNumbersOfTheResultFile) {
  EXPECT_EQ(F(4, 3, 1.47), "1.470");
  EXPECT_EQ(F(11, 9, 0.00000903), "0.000009030");
  EXPECT_EQ(F(7, 2, 460), "460.00");
  EXPECT_EQ(F(8, 3, 1344.8), "1344.800");
  EXPECT_EQ(F(9, 6, 6.38469), "6.384690");
  EXPECT_EQ(F(8, 6, 0.0695), "0.069500");
  EXPECT_EQ(F(7, 5, 0.0695 * 0.60), "0.04170");
  EXPECT_EQ(F(7, 5, 0.0695 * 0.22), "0.01529");
  EXPECT_EQ(F(6, 4, 1.0), "1.0000");
  EXPECT_EQ(F(8, 3, 123.4), "123.400");
}

TEST(FormatFixed, RoundsHalfAwayFromZero) {
  EXPECT_EQ(F(2, 2, 0.125), "0.13");  // 0.125 is exact: its digits end in a 5
  EXPECT_EQ(F(2, 2, -0.125), "-0.13");
  EXPECT_EQ(F(2, 2, 0.375), "0.38");
  EXPECT_EQ(F(2, 0, 2.5), "3");
  EXPECT_EQ(F(2, 0, -2.5), "-3");
  EXPECT_EQ(F(5, 3, -0.0006), "-0.001");
  EXPECT_EQ(F(4, 3, 1.2344), "1.234");
}

// The rounding works on the 18 significant digits of the double, not on the text that was
// typed: 1.005 is held as 1.00499999999999989..., so it rounds down.
TEST(FormatFixed, RoundsTheDigitsOfTheDoubleNotOfTheTypedText) {
  EXPECT_EQ(F(4, 2, 1.005), "1.00");
  EXPECT_EQ(F(3, 2, 2.675), "2.67");
  EXPECT_EQ(F(18, 18, 0.1), "0.100000000000000006");
}

// A double whose exact expansion has 19 significant digits ending in 5 (1e13 + 1/32 =
// 10000000000000.03125) meets a tie when it is cut to 18 digits; the 18 digits are the
// correctly rounded ones, ties to even. Only a format keeping all 18 digits sees it.
TEST(FormatFixed, TakesTheCorrectlyRoundedEighteenDigits) {
  const double value = 10000000000000.03125;
  EXPECT_EQ(F(18, 4, value), "10000000000000.0312");
  EXPECT_EQ(F(17, 5, value), "10000000000000.03100");
  EXPECT_EQ(F(16, 4, value), "10000000000000.0300");
}

TEST(FormatFixed, CarriesOutOfTheFirstPlace) {
  EXPECT_EQ(F(4, 2, 99.999), "100.00");
  EXPECT_EQ(F(4, 3, 9.9996), "10.000");
  EXPECT_EQ(F(6, 2, 0.0096), "0.01");  // no digit kept: a first digit of 5 or more gives 1
  EXPECT_EQ(F(6, 2, 0.005), "0.01");
  EXPECT_EQ(F(5, 3, 0.0009), "0.001");
}

TEST(FormatFixed, ValueRoundedToZeroHasNoSign) {
  EXPECT_EQ(F(5, 3, -0.0004), "0.000");
  EXPECT_EQ(F(6, 2, 0.004), "0.00");
  EXPECT_EQ(F(5, 3, 0.00004), "0.000");  // the first digit lies beyond the first dropped place
  EXPECT_EQ(F(7, 5, -0.000004), "0.00000");
  EXPECT_EQ(F(5, 3, 5e-324), "0.000");
  EXPECT_EQ(F(5, 3, 0.0), "0.000");
  EXPECT_EQ(F(5, 3, -0.0), "0.000");
  EXPECT_EQ(F(7, 0, 0.0), "0");
}

TEST(FormatFixed, KeepsAtMostPrecisionSignificantDigits) {
  EXPECT_EQ(F(4, 3, 123.4567), "123.500");
  EXPECT_EQ(F(2, 2, 1.234), "1.20");
  EXPECT_EQ(F(8, 3, 12345678.9), "12345679.000");
  EXPECT_EQ(F(6, -1, 1234), "1230");  // negative decimals round to tens and write none
}

TEST(FormatFixed, WritesScientificFormWhenTheIntegerDigitsExceedThePrecision) {
  EXPECT_EQ(F(4, 3, 12345.678), "1.235E004");
  EXPECT_EQ(F(8, 3, 123456789), "1.2345679E008");
  EXPECT_EQ(F(4, 2, 12345), "1.235E04");
  EXPECT_EQ(F(4, 2, -12345), "-1.235E04");
  EXPECT_EQ(F(2, 2, 100), "1E02");       // no separator when one digit is left
  EXPECT_EQ(F(4, 2, 9999.5), "1E04");    // the carry adds an integer digit
  EXPECT_EQ(F(4, 5, 12345), "1.235E4");  // no padding from 5 decimals on
  EXPECT_EQ(F(8, 3, 1e300), "1E300");    // padding never shortens
  EXPECT_EQ(F(8, 3, std::numeric_limits<double>::max()), "1.7976931E308");
}

TEST(FormatFixed, ClampsPrecisionAndDigits) {
  EXPECT_EQ(F(1, 3, 1.234), "1.200");  // precision 2
  EXPECT_EQ(F(0, 3, 1.234), "1.200");
  EXPECT_EQ(F(30, 18, 0.1), "0.100000000000000006");  // precision 18
  EXPECT_EQ(F(18, 30, 0.1), "0.100000000000000006");  // 18 decimals
}

TEST(FormatFixed, WritesInfinityAndNotANumber) {
  EXPECT_EQ(F(8, 3, std::numeric_limits<double>::infinity()), "INF");
  EXPECT_EQ(F(8, 3, -std::numeric_limits<double>::infinity()), "-INF");
  EXPECT_EQ(F(8, 3, std::numeric_limits<double>::quiet_NaN()), "NAN");
  EXPECT_EQ(F(8, 3, -std::numeric_limits<double>::quiet_NaN()), "NAN");
}

TEST(FormatFixed, WritesTheGivenDecimalSeparator) {
  EXPECT_EQ(FormatFixed(1.47, 4, 3, ','), "1,470");
  EXPECT_EQ(FormatFixed(-0.0006, 5, 3, ','), "-0,001");
  EXPECT_EQ(FormatFixed(12345.678, 4, 3, ','), "1,235E004");
  EXPECT_EQ(FormatFixed(460, 7, 0, ','), "460");
  EXPECT_EQ(FormatFixed(1.47, 4, 3), "1.470");  // "." unless told otherwise
}

TEST(FormatFixed, WritesOnlyTheCharactersItCounts) {
  // The longest texts: 18 integer digits and 18 decimals, and the scientific form.
  for (const double value :
       {-123456789012345678.0, -1.2345678901234567e-300, -std::numeric_limits<double>::max()}) {
    char out[kFormatFixedCapacity + 1];
    std::memset(out, '#', sizeof out);
    const std::size_t length = FormatFixedTo(out, value, 18, 18, '.');
    ASSERT_LT(length, kFormatFixedCapacity);
    EXPECT_EQ(std::string(out, length), FormatFixed(value, 18, 18));
    EXPECT_EQ(out[length], '#');
  }
  EXPECT_EQ(FormatFixed(-123456789012345678.0, 18, 18), "-123456789012345680.000000000000000000");
}

}  // namespace
}  // namespace quillmere
