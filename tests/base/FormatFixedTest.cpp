#include "base/FormatFixed.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "ReferenceFormatFixed.h"
#include "TestSupport.h"
#include "params/FieldTable.h"
#include "params/MemoryFieldTexts.h"
#include "report/CalculationRun.h"
#include "report/DataFile.h"
#include "report/ResultFile.h"

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

// ---- the same texts as the digit-string reference -------------------------------------------
//
// FormatFixedTo rounds with integer arithmetic on the exact value of the double; the reference
// rounds the 18 digits from std::to_chars as characters. Both must write the same bytes for
// every double and every (P, D).

//! Random values for the cross-check, each written with the result file's 12 formats. A
//! million take under 2 s, a few seconds in the sanitizer build.
constexpr long kRandomValues = 1'000'000;
//! One value in this many is also written with every P from 0 to 20 and D from -2 to 20.
constexpr long kSweepEvery = 400;

using Format = std::pair<int, int>;  // (P, D)

//! Every (P, D) of the result file: the value lines of the echo and of the conditions blocks,
//! and the zone table's columns TIME, LENGTH, TEMP, WEIGHT1/2 and RESIDUAL RAT1/2.
std::vector<Format> ResultFileFormats() {
  std::vector<Format> formats{{8, 3}, {7, 3}, {6, 2}, {7, 5}, {6, 4}};
  for (const EchoValueLine& line : EchoValueLines()) {
    formats.emplace_back(line.layout.precision, line.layout.digits);
  }
  for (const ValueLineLayout& layout : ZoneConditionLines()) {
    formats.emplace_back(layout.precision, layout.digits);
  }
  std::sort(formats.begin(), formats.end());
  formats.erase(std::unique(formats.begin(), formats.end()), formats.end());
  return formats;
}

//! Writes values with both formatters and reports the first few that differ.
class CrossCheck {
 public:
  void Check(double value, int precision, int digits, char separator) {
    char fast[kFormatFixedCapacity];
    char reference[kFormatFixedCapacity];
    const std::size_t fastLength = FormatFixedTo(fast, value, precision, digits, separator);
    const std::size_t referenceLength =
        test::ReferenceFormatFixedTo(reference, value, precision, digits, separator);
    ++checked_;
    if (fastLength == referenceLength && std::memcmp(fast, reference, fastLength) == 0) return;
    if (++differences_ <= 20) {
      ADD_FAILURE() << "F(" << precision << ", " << digits << ") of " << Describe(value)
                    << " with '" << separator << "': \"" << std::string(fast, fastLength)
                    << "\" instead of \"" << std::string(reference, referenceLength) << '"';
    }
  }

  long checked() const { return checked_; }
  long differences() const { return differences_; }

 private:
  static std::string Describe(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.17g (0x%016llx)", value,
                  static_cast<unsigned long long>(std::bit_cast<std::uint64_t>(value)));
    return text;
  }

  long checked_ = 0;
  long differences_ = 0;
};

//! The double `ulps` steps of the binary format away from `value` (towards +infinity for a
//! positive count).
double StepUlps(double value, int ulps) {
  for (; ulps > 0; --ulps) value = std::nextafter(value, std::numeric_limits<double>::infinity());
  for (; ulps < 0; ++ulps) value = std::nextafter(value, -std::numeric_limits<double>::infinity());
  return value;
}

//! Values of the kinds a rounding rule gets wrong, drawn from a fixed seed.
class ValueSource {
 public:
  double Next() {
    const double value = Draw(Below(8));
    return Below(4) == 0 ? -value : value;
  }

 private:
  std::uint64_t Below(std::uint64_t bound) { return random_() % bound; }
  //! The nearest double to 10^power, -323 ≤ power ≤ 308.
  double PowerOfTen(int power) const { return powersOfTen_[static_cast<std::size_t>(power + 323)]; }
  int Ulps() { return static_cast<int>(Below(7)) - 3; }

  double Draw(std::uint64_t kind) {
    switch (kind) {
      case 0:  // any bit pattern: subnormals, huge values, infinities, not-a-number
        return std::bit_cast<double>(random_());
      case 1: {  // a table column's range, 0 to 20000, with a few decimals
        const int places = static_cast<int>(Below(7));
        const double scale = PowerOfTen(places);
        return static_cast<double>(Below(static_cast<std::uint64_t>(20000 * scale) + 1)) / scale;
      }
      case 2: {  // a table column's range, every bit of the fraction random
        return static_cast<double>(random_() >> 11) * 0x1p-53 * 20000;
      }
      case 3: {  // n / 10^d a few steps to either side, n of 1 to 17 digits
        const auto n =
            Below(static_cast<std::uint64_t>(PowerOfTen(1 + static_cast<int>(Below(17)))));
        return StepUlps(static_cast<double>(n) / PowerOfTen(static_cast<int>(Below(21))), Ulps());
      }
      case 4: {  // halves of the last decimal of F(P, D), x.xx5, and their neighbours
        const int digits = static_cast<int>(Below(12));
        const auto n = Below(std::uint64_t{1} << (1 + Below(40)));
        const double half = (static_cast<double>(n) + 0.5) / PowerOfTen(digits);
        return StepUlps(half, Ulps());
      }
      case 5:  // powers of ten and their neighbours, from subnormals to the largest
        return StepUlps(PowerOfTen(static_cast<int>(Below(632)) - 323), Ulps());
      case 6: {  // an exact binary fraction m / 2^a: decimal expansions ending in ...5 that
                 // meet ties at the 18th and 19th digit
        const auto m = random_() >> (11 + Below(30));
        return std::ldexp(static_cast<double>(m), -static_cast<int>(Below(16)));
      }
      default: {  // tiny and huge: a random fraction with an exponent at either end
        const int power =
            Below(2) == 0 ? -1074 + static_cast<int>(Below(80)) : 940 + static_cast<int>(Below(84));
        return std::ldexp(1 + static_cast<double>(random_() >> 12) * 0x1p-52, power);
      }
    }
  }

  std::mt19937_64 random_{20240611};
  //! 10^-323 to 10^308 as the C library converts "1e<power>".
  std::vector<double> powersOfTen_ = [] {
    std::vector<double> powers;
    for (int power = -323; power <= 308; ++power) {
      powers.push_back(std::strtod(("1e" + std::to_string(power)).c_str(), nullptr));
    }
    return powers;
  }();
};

TEST(FormatFixed, WritesWhatTheDigitStringReferenceWritesForRandomValues) {
  const std::vector<Format> formats = ResultFileFormats();
  CrossCheck check;
  ValueSource values;
  for (long i = 0; i < kRandomValues; ++i) {
    const double value = values.Next();
    const char separator = i % 2 == 0 ? '.' : ',';
    for (const auto& [precision, digits] : formats)
      check.Check(value, precision, digits, separator);
    if (i % kSweepEvery == 0) {
      for (int precision = 0; precision <= 20; ++precision) {
        for (int digits = -2; digits <= 20; ++digits) {
          check.Check(value, precision, digits, (precision + digits) % 2 == 0 ? ',' : '.');
        }
      }
    }
  }
  EXPECT_EQ(check.differences(), 0) << "of " << check.checked();
  RecordProperty("texts", std::to_string(check.checked()));
}

TEST(FormatFixed, WritesWhatTheDigitStringReferenceWritesForSpecialValues) {
  constexpr double kInfinity = std::numeric_limits<double>::infinity();
  const std::vector<double> specials{0.0,
                                     -0.0,
                                     kInfinity,
                                     -kInfinity,
                                     std::numeric_limits<double>::quiet_NaN(),
                                     std::numeric_limits<double>::denorm_min(),
                                     std::numeric_limits<double>::min(),
                                     std::numeric_limits<double>::max(),
                                     std::numeric_limits<double>::epsilon(),
                                     0x1p53,
                                     StepUlps(0x1p53, -1),
                                     StepUlps(0x1p53, 1),
                                     0x1p-75,
                                     0x1p-128,
                                     0x1p-127,
                                     10000000000000.03125,
                                     1.005,
                                     2.675,
                                     0.125,
                                     0.5,
                                     9999.5,
                                     99.999,
                                     9.9996,
                                     0.0096};
  CrossCheck check;
  for (const double special : specials) {
    for (const double value : {special, -special}) {
      for (int precision = -1; precision <= 21; ++precision) {
        for (const int digits :
             {-1000, -330, -309, -20, -3, -2, -1, 0, 1, 2, 3, 4, 5, 9, 17, 18, 19, 100}) {
          check.Check(value, precision, digits, '.');
          check.Check(value, precision, digits, ',');
        }
      }
    }
  }
  EXPECT_EQ(check.differences(), 0) << "of " << check.checked();
}

//! The trace of a run of the data file `dataFile` (none: the default texts), the result file
//! going to a scratch directory.
test::Model RunOf(const char* dataFile, char separator) {
  test::ScratchDirectory directory;
  MemoryFieldTexts fields(separator);
  test::RecordingMessages messages;
  if (dataFile != nullptr) {
    EXPECT_TRUE(
        LoadDataFile(std::string(QUILLMERE_TEST_DATA) + "/" + dataFile, fields, messages).Ok());
  }
  fields.SetText("Edit250", directory.File("result.txt"));
  test::Model model;
  // A run that ends on a fault has written the points up to it.
  RunCalculation(fields, messages, separator, *model.params, *model.state);
  return model;
}

//! LENGTH of a table row: the distance from the zone's entry after `steps` steps [m], formed
//! in the widest floating type as the table forms it.
double Length(int steps, double timeStep, double speed) {
  return static_cast<double>(static_cast<long double>(steps) * static_cast<long double>(timeStep) *
                             static_cast<long double>(speed));
}

// Every value a run writes (the echo, the zones' conditions, all points of every zone), and
// the values of the points as any of the result file's columns would write them.
TEST(FormatFixed, WritesWhatTheDigitStringReferenceWritesForTheRunsValues) {
  const std::vector<Format> formats = ResultFileFormats();
  CrossCheck check;
  for (const char* dataFile : {static_cast<const char*>(nullptr), "three-zones.dat",
                               "fourteen-zones.dat", "fault-zone2.dat"}) {
    const test::Model model = RunOf(dataFile, '.');
    const ParameterSet& params = *model.params;
    const SimulationState& state = *model.state;
    for (const EchoValueLine& line : EchoValueLines()) {
      const double value = StoredValue(*FindField(line.field), params, state.EntryTemperature());
      for (const char separator : {'.', ','}) {
        check.Check(value, line.layout.precision, line.layout.digits, separator);
      }
    }
    for (int zone = 1; zone <= params.ZoneCount; ++zone) {
      for (int index = 0; index < static_cast<int>(ZoneConditionLines().size()); ++index) {
        const ValueLineLayout& layout = ZoneConditionLines()[static_cast<std::size_t>(index)];
        const double value = StoredValue(*FindField(ZoneFieldName(zone, index)), params, 0);
        check.Check(value, layout.precision, layout.digits, '.');
      }
      const ZoneTrace& trace = state.Trace;
      for (int point = 0; point <= params.ZoneSteps[zone] && point < kTracePoints; ++point) {
        const auto p = static_cast<std::size_t>(point);
        for (const double value :
             {trace.Time[zone][p], trace.Temperature[zone][p], trace.Solvent1Weight[zone][p],
              trace.Solvent2Weight[zone][p], trace.Solvent1Residual[zone][p],
              trace.Solvent2Residual[zone][p], Length(point, state.TimeStep, params.Speed)}) {
          for (const auto& [precision, digits] : formats) {
            for (const char separator : {'.', ','}) {
              check.Check(value, precision, digits, separator);
            }
          }
        }
      }
    }
  }
  EXPECT_EQ(check.differences(), 0) << "of " << check.checked();
  EXPECT_GT(check.checked(), 100'000);
  RecordProperty("texts", std::to_string(check.checked()));
}

}  // namespace
}  // namespace quillmere
