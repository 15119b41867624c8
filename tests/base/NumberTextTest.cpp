#include "base/NumberText.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <string>

namespace quillmere {
namespace {

TEST(ParseNumber, ReadsTheGrammarWithBlanksSignsAndExponents) {
  EXPECT_EQ(ParseNumber(" 60.0 ", '.'), 60.0);
  EXPECT_EQ(ParseNumber("0.0695", '.'), 0.0695);
  EXPECT_EQ(ParseNumber("+5", '.'), 5.0);
  EXPECT_EQ(ParseNumber("-5", '.'), -5.0);
  EXPECT_EQ(ParseNumber("1.5E3", '.'), 1500.0);
  EXPECT_EQ(ParseNumber("1.5e-3", '.'), 0.0015);
  EXPECT_EQ(ParseNumber("2E+2", '.'), 200.0);
  EXPECT_EQ(ParseNumber("5.", '.'), 5.0);
  EXPECT_EQ(ParseNumber(".5", '.'), 0.5);
  EXPECT_EQ(ParseNumber("0.00000903", '.'), 0.00000903);
}

TEST(ParseNumber, ReadsALoneSeparatorAsZeroAndABareExponentLetterAsExponentZero) {
  EXPECT_EQ(ParseNumber(".", '.'), 0.0);
  const auto negativeZero = ParseNumber("-.", '.');
  ASSERT_TRUE(negativeZero);
  EXPECT_TRUE(std::signbit(*negativeZero));
  EXPECT_EQ(ParseNumber("7E", '.'), 7.0);
  EXPECT_EQ(ParseNumber("7e-", '.'), 7.0);
  EXPECT_EQ(ParseNumber("3.5E ", '.'), 3.5);
}

TEST(ParseNumber, RefusesEverythingOutsideTheGrammar) {
  for (const char* text :
       {"",    "   ", "abc", "1,000.5", "1.2.3", "1e5x", "E5",  "+",    "-",    "1 000", "\t1",
        "1\t", "--1", "+-1", "1e5.5",   "0x10",  "inf",  "nan", "1e 5", "60,0", "1..",   "١"}) {
    EXPECT_FALSE(ParseNumber(text, '.')) << '"' << text << '"';
  }
}

TEST(ParseNumber, TakesTheDecimalSeparatorAsAParameter) {
  EXPECT_EQ(ParseNumber("0,0695", ','), 0.0695);
  EXPECT_EQ(ParseNumber(" -1,5E2 ", ','), -150.0);
  EXPECT_EQ(ParseNumber(",", ','), 0.0);
  EXPECT_FALSE(ParseNumber("0.0695", ','));
  EXPECT_FALSE(ParseNumber("1.000,5", ','));
}

TEST(ParseNumber, RoundsCorrectly) {
  EXPECT_EQ(ParseNumber("0.1", '.'), 0.1);
  EXPECT_EQ(ParseNumber("1.7976931348623157e308", '.'), std::numeric_limits<double>::max());
  // Just below half-way between the largest double and the next power: still the largest.
  EXPECT_EQ(ParseNumber("1.7976931348623158e308", '.'), std::numeric_limits<double>::max());
  EXPECT_EQ(ParseNumber("4.9E-324", '.'), std::numeric_limits<double>::denorm_min());
  EXPECT_EQ(ParseNumber("2.4703282292062328e-324", '.'), std::numeric_limits<double>::denorm_min());
}

TEST(ParseNumber, RefusesOverflowButReadsUnderflowAsZero) {
  EXPECT_FALSE(ParseNumber("1e309", '.'));
  EXPECT_FALSE(ParseNumber("-1.8e308", '.'));
  EXPECT_FALSE(ParseNumber("1e99999999999999999999", '.'));
  EXPECT_FALSE(ParseNumber("0.0000000001e319", '.'));
  EXPECT_FALSE(ParseNumber("100000000000000000000e300", '.'));
  EXPECT_EQ(ParseNumber("1E-400", '.'), 0.0);
  EXPECT_EQ(ParseNumber("2.4703282292062327e-324", '.'), 0.0);
  EXPECT_EQ(ParseNumber("1e-99999999999999999999", '.'), 0.0);
  EXPECT_EQ(ParseNumber("1000e-330", '.'), 0.0);
  const auto negative = ParseNumber("-1E-400", '.');
  ASSERT_TRUE(negative);
  EXPECT_EQ(*negative, 0.0);
  EXPECT_TRUE(std::signbit(*negative));
  EXPECT_EQ(ParseNumber("0e99999999999", '.'), 0.0);
  EXPECT_EQ(ParseNumber("0.000e400", '.'), 0.0);
}

TEST(LocaleDecimalSeparator, FollowsTheNumericLocale) {
  const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
  EXPECT_EQ(LocaleDecimalSeparator(), '.');  // the "C" locale of a program that set none
  if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr) {
    GTEST_SKIP() << "no de_DE.UTF-8 locale (scripts/bootstrap generates it)";
  }
  EXPECT_EQ(LocaleDecimalSeparator(), ',');
  std::setlocale(LC_NUMERIC, previous.c_str());
}

}  // namespace
}  // namespace quillmere
