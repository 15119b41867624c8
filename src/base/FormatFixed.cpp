#include "base/FormatFixed.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

// F(P, D) rounds twice: first |value| to its 18 correctly rounded significant digits (ties to
// even), then those digits half away from zero to k = min(E + D, P, 18) digits. Mostly the 18
// digits need not be formed: a double below 2^53 is exactly m / 2^s, its whole part m >> s, and
// its fraction, exact as a 128-bit binary fraction, times 10^D (or 10^(P - E) when P limits the
// digits) gives the decimals up to place k and the exact fraction after them. The first
// rounding moves |value| by at most half a unit of the 18th digit, so the digits after place k
// read 5000... or more exactly when that fraction exceeds 1/2 - 10^(k - 18) / 2, which is
// tested on the exact fraction; at k = 18 it is rounded once, ties to even. With more integer
// digits than P the whole part alone decides. Only D below 0 and magnitudes from 2^53 on take
// the 18 digits from std::to_chars.

namespace quillmere {
namespace {

// GCC and Clang have a 128-bit integer; __extension__ keeps -Wpedantic quiet about it.
__extension__ using Uint128 = unsigned __int128;

//! Significant digits from which every number text is rounded.
constexpr int kSignificantDigits = 18;

//! Fewest decimals worth telling apart: from 330 places before the point on, every double
//! rounds to zero. Bounding D keeps E + D far from the int range.
constexpr int kFewestDigits = -400;

//! 10^0 to 10^19, every power of ten below 2^64.
constexpr std::array<std::uint64_t, 20> kPowersOfTen = [] {
  std::array<std::uint64_t, 20> powers{};
  powers[0] = 1;
  for (std::size_t i = 1; i < powers.size(); ++i) powers[i] = powers[i - 1] * 10;
  return powers;
}();

std::uint64_t PowerOfTen(int power) {
  return kPowersOfTen[static_cast<std::size_t>(power)];
}

//! Decimal digits of `x` (1 for 0).
int DecimalLength(std::uint64_t x) {
  x |= 1;                                              // the same length, and 0 has one digit
  const int guess = (std::bit_width(x) * 1233) >> 12;  // floor(bits × log10(2))
  return guess + (x >= PowerOfTen(guess) ? 1 : 0);
}

// ---- rounding ------------------------------------------------------------------------------

//! |value| rounded: whole + fraction / 10^places, written with D ≥ places decimals.
struct Decimals {
  std::uint64_t whole = 0;
  std::uint64_t fraction = 0;
  int places = 0;
};

//! floor(2^127 / 10^j): half of 10^-j in units of 2^-128.
constexpr std::array<Uint128, kSignificantDigits + 1> kHalfUnits = [] {
  std::array<Uint128, kSignificantDigits + 1> halves{};
  for (std::size_t j = 0; j < halves.size(); ++j) halves[j] = (Uint128{1} << 127) / kPowersOfTen[j];
  return halves;
}();

//! A binary fraction high / 2^64 + low / 2^128 times 10^places: the digits before the point
//! and the fraction after them, in units of 2^-128.
struct ScaledFraction {
  std::uint64_t digits = 0;
  Uint128 remainder = 0;
};

ScaledFraction Scale(std::uint64_t high, std::uint64_t low, int places) {
  const std::uint64_t power = PowerOfTen(places);
  const Uint128 lowProduct = Uint128{low} * power;
  const Uint128 highProduct = Uint128{high} * power + static_cast<std::uint64_t>(lowProduct >> 64);
  return {static_cast<std::uint64_t>(highProduct >> 64),
          (highProduct << 64) | static_cast<std::uint64_t>(lowProduct)};
}

//! The rounding of |value| = mantissa / 2^shift (mantissa below 2^53, shift at least 1) to at
//! most D ≥ 0 decimals and P significant digits, by exact integer arithmetic; false when
//! |value| has more integer digits than P (the scientific form).
bool RoundExactly(std::uint64_t mantissa, int shift, int precision, int digits, Decimals& rounded) {
  rounded = {0, 0, digits};
  // |value| × 10^D < 2^53 × 10^18 / 2^128 < 2^-15: rounds to zero.
  if (shift >= 128) return true;
  // The fraction of |value|, exactly, as high / 2^64 + low / 2^128.
  std::uint64_t high = 0;
  std::uint64_t low = 0;
  if (shift <= 64) {
    if (shift < 64) rounded.whole = mantissa >> shift;
    high = mantissa << (64 - shift);  // the whole part's bits leave the word
  } else {
    high = mantissa >> (shift - 64);
    low = mantissa << (128 - shift);
  }
  ScaledFraction scaled = Scale(high, low, digits);
  rounded.fraction = scaled.digits;

  // k = E + D while whole × 10^D + fraction has at most min(P, 17) digits; else k = P.
  const int most = std::min(precision, kSignificantDigits - 1);
  const bool fits = digits <= most ? rounded.whole < PowerOfTen(most - digits)
                                   : rounded.whole == 0 && rounded.fraction < PowerOfTen(most);
  int kept = 0;  // k where it is known, 0 until it is needed
  if (!fits) {
    const int exponent = rounded.whole != 0 ? DecimalLength(rounded.whole)
                                            : DecimalLength(rounded.fraction) - digits;
    if (exponent > precision) return false;
    // P digits: fewer decimals.
    kept = precision;
    rounded.places = precision - exponent;
    scaled = Scale(high, low, rounded.places);
    rounded.fraction = scaled.digits;
  }

  constexpr Uint128 kHalf = Uint128{1} << 127;
  bool up = false;
  if (kept == kSignificantDigits) {
    // All 18 digits are kept: the correct rounding, ties to even, is the only one.
    const std::uint64_t last = rounded.places > 0 ? rounded.fraction : rounded.whole;
    up = scaled.remainder > kHalf || (scaled.remainder == kHalf && (last & 1) != 0);
  } else if (scaled.remainder >= kHalf) {
    up = true;
  } else {
    // Below the half by `gap`: rounds up when gap < 2^127 / 10^j, j = 18 - k, the unit of the
    // 18th digit being 10^-j units of the kept digit. 2^127 / 10^j is never a whole number,
    // so the 18 digits never meet a tie there. The threshold shrinks as j grows: the smallest
    // j that P allows screens out nearly every value before k is needed.
    const Uint128 gap = kHalf - scaled.remainder;
    if (gap <= kHalfUnits[static_cast<std::size_t>(kSignificantDigits - most)]) {
      if (kept == 0 && (rounded.whole != 0 || rounded.fraction != 0)) {
        kept = rounded.whole != 0 ? DecimalLength(rounded.whole) + digits
                                  : DecimalLength(rounded.fraction);
      }
      up = gap <= kHalfUnits[static_cast<std::size_t>(kSignificantDigits - std::max(kept, 0))];
    }
  }
  if (up && ++rounded.fraction == PowerOfTen(rounded.places)) {
    rounded.fraction = 0;
    ++rounded.whole;
  }
  return true;
}

//! |value| rounded: significand / 10^scale, the significand below 10^18 and 0 for a value that
//! has become zero.
struct Rounded {
  std::uint64_t significand = 0;
  int scale = 0;
};

//! The rounding of |value| = mantissa / 2^shift (as for RoundExactly, with D ≥ 0) when it has
//! more integer digits than P, E > P, so that k = P: the whole part's first P digits, rounded
//! by the q = E - P digits after them, `rest`, and the fraction. As in RoundExactly it rounds up
//! when rest + fraction > 10^q / 2 - 10^(E - 18) / 2. The half 10^q / 2 is a whole number, a
//! double itself, and the doubles next to it lie at least 10^(E - 1) × 2^-53 > 10^(E - 18) / 2
//! away: so rest decides alone. False when E ≤ P.
bool RoundWholeDigits(std::uint64_t mantissa, int shift, int precision, Rounded& rounded) {
  if (shift >= 64) return false;
  const std::uint64_t whole = mantissa >> shift;
  const int dropped = DecimalLength(whole) - precision;
  if (dropped <= 0) return false;
  const std::uint64_t unit = PowerOfTen(dropped);
  rounded = {whole / unit + (whole % unit >= unit / 2 ? 1 : 0), -dropped};
  return true;
}

//! The rounding of `magnitude` (finite, above zero) through its 18 correctly rounded digits
//! from std::to_chars, then half away from zero at digit k.
Rounded RoundViaEighteenDigits(double magnitude, int precision, int digits) {
  // "d.ddddddddddddddddde±XXX": one digit before the point, 17 after.
  char text[32];
  const char* const end = std::to_chars(text, text + sizeof text, magnitude,
                                        std::chars_format::scientific, kSignificantDigits - 1)
                              .ptr;
  const char* const sign = text + kSignificantDigits + 2;  // the character after 'e'
  int power = 0;
  std::from_chars(sign + 1, end, power);
  // d.ddd × 10^power = 0.dddd × 10^E
  const int exponent = (*sign == '-' ? -power : power) + 1;

  const int kept = std::min({exponent + digits, precision, kSignificantDigits});
  if (kept < 0) return {};
  const auto digit = [&text](int i) {  // digit i of the 18, from 0
    return static_cast<std::uint64_t>(text[i == 0 ? 0 : i + 1] - '0');
  };
  std::uint64_t significand = 0;
  for (int i = 0; i < kept; ++i) significand = significand * 10 + digit(i);
  if (kept < kSignificantDigits && digit(kept) >= 5) ++significand;
  return {significand, kept - exponent};
}

// ---- writing -------------------------------------------------------------------------------

//! "00" to "99": two digits at a time.
constexpr std::array<char, 200> kDigitPairs = [] {
  std::array<char, 200> pairs{};
  for (std::size_t i = 0; i < 100; ++i) {
    pairs[2 * i] = static_cast<char>('0' + i / 10);
    pairs[2 * i + 1] = static_cast<char>('0' + i % 10);
  }
  return pairs;
}();

//! Writes `number`, below 10^count, as `count` digits (leading zeros where it has fewer) that
//! end at `end`, and returns where they start. Inline: the hot callers know `count`'s range.
inline char* WriteDigitsBefore(char* end, std::uint64_t number, int count) {
  // Four digits a step, as two independent pairs, then the rest.
  for (; count >= 4; count -= 4) {
    const std::uint64_t four = number % 10000;
    number /= 10000;
    end -= 4;
    std::memcpy(end, kDigitPairs.data() + 2 * (four / 100), 2);
    std::memcpy(end + 2, kDigitPairs.data() + 2 * (four % 100), 2);
  }
  for (; count >= 2; count -= 2) {
    end -= 2;
    std::memcpy(end, kDigitPairs.data() + 2 * (number % 100), 2);
    number /= 100;
  }
  if (count == 1) *--end = static_cast<char>('0' + number);
  return end;
}

char* FillBefore(char* end, int count) {
  for (; count > 0; --count) *--end = '0';
  return end;
}

//! "1.235E004": the first digit, the other digits (trailing zeros dropped) after the
//! separator, "E", the power of ten of the first digit, E - 1, zero padded to `digits` places
//! when `digits` is at most 4. E exceeds P, which is at least 2, so the power is positive.
char* WriteScientific(char* out, std::uint64_t significand, int exponent, int digits,
                      char decimalSeparator) {
  while (significand % 10 == 0) significand /= 10;
  const int length = DecimalLength(significand);
  WriteDigitsBefore(out + 1 + length, significand, length);
  out[0] = out[1];
  if (length > 1) out[1] = decimalSeparator;
  out += length > 1 ? length + 1 : 1;
  *out++ = 'E';
  const auto power = static_cast<std::uint64_t>(exponent - 1);
  const int powerLength = std::max(DecimalLength(power), digits <= 4 ? digits : 0);
  out += powerLength;
  WriteDigitsBefore(out, power, powerLength);
  return out;
}

//! "1344.800", "0.000009030", "1230": significand × 10^(decimals - scale) written with
//! `decimals` places after the separator (none when `decimals` is 0) and at least one digit
//! before it.
char* WriteFixed(char* out, std::uint64_t significand, int scale, int decimals,
                 char decimalSeparator) {
  const int length = significand == 0 ? 0 : DecimalLength(significand);
  const int zeros = decimals - scale;  // after the significand's digits, never negative
  const int integerDigits = std::max(length + zeros - decimals, 1);
  // The digits without the separator, one place on when there is one; then the integer
  // digits move back to make room for it.
  const int gap = decimals > 0 ? 1 : 0;
  char* const end = out + gap + integerDigits + decimals;
  char* const first = FillBefore(WriteDigitsBefore(FillBefore(end, zeros), significand, length),
                                 integerDigits + decimals - zeros - length);
  if (gap == 0) return end;
  std::memmove(out, first, static_cast<std::size_t>(integerDigits));
  out[integerDigits] = decimalSeparator;
  return end;
}

//! "1344.800": the whole part, then the separator and D decimals, the last of them zeros
//! where fewer places were rounded. A carry to 10^P (possible only with D = 0 or fewer places)
//! makes one integer digit too many: the scientific form.
char* WriteDecimals(char* out, const Decimals& rounded, int precision, int digits,
                    char decimalSeparator) {
  const int wholeLength = DecimalLength(rounded.whole);
  if (wholeLength > precision) {
    return WriteScientific(out, rounded.whole, wholeLength, digits, decimalSeparator);
  }
  char* const end = out + wholeLength;
  WriteDigitsBefore(end, rounded.whole, wholeLength);
  if (digits == 0) return end;
  *end = decimalSeparator;
  FillBefore(end + 1 + digits, digits - rounded.places);
  WriteDigitsBefore(end + 1 + rounded.places, rounded.fraction, rounded.places);
  return end + 1 + digits;
}

}  // namespace

std::size_t FormatFixedTo(char* out, double value, int precision, int digits,
                          char decimalSeparator) {
  precision = std::clamp(precision, 2, kSignificantDigits);
  digits = std::clamp(digits, kFewestDigits, kSignificantDigits);
  char* const start = out;

  // |value| = mantissa × 2^power, subnormals included.
  const auto bits = std::bit_cast<std::uint64_t>(value);
  const bool negative = (bits >> 63) != 0;
  const auto biasedPower = static_cast<int>((bits >> 52) & 0x7FF);
  std::uint64_t mantissa = bits & ((std::uint64_t{1} << 52) - 1);
  if (biasedPower == 0x7FF) {
    if (mantissa != 0) {
      std::memcpy(out, "NAN", 3);
      return 3;
    }
    if (negative) *out++ = '-';
    std::memcpy(out, "INF", 3);
    return static_cast<std::size_t>(out + 3 - start);
  }
  const int power = biasedPower == 0 ? -1074 : biasedPower - 1075;
  if (biasedPower != 0) mantissa |= std::uint64_t{1} << 52;

  Decimals fixed;
  if (power < 0 && digits >= 0 && RoundExactly(mantissa, -power, precision, digits, fixed)) {
    // A value that has become zero has no sign.
    if (negative && (fixed.whole != 0 || fixed.fraction != 0)) *out++ = '-';
    return static_cast<std::size_t>(WriteDecimals(out, fixed, precision, digits, decimalSeparator) -
                                    start);
  }

  Rounded rounded;
  if (mantissa != 0 &&
      !(power < 0 && digits >= 0 && RoundWholeDigits(mantissa, -power, precision, rounded))) {
    rounded = RoundViaEighteenDigits(std::fabs(value), precision, digits);
  }
  const int decimals = std::max(digits, 0);
  if (rounded.significand == 0) {
    return static_cast<std::size_t>(WriteFixed(out, 0, decimals, decimals, decimalSeparator) -
                                    start);
  }
  if (negative) *out++ = '-';
  const int exponent = DecimalLength(rounded.significand) - rounded.scale;  // 0.ddd × 10^E
  out = exponent > precision
            ? WriteScientific(out, rounded.significand, exponent, digits, decimalSeparator)
            : WriteFixed(out, rounded.significand, rounded.scale, decimals, decimalSeparator);
  return static_cast<std::size_t>(out - start);
}

std::string FormatFixed(double value, int precision, int digits, char decimalSeparator) {
  char text[kFormatFixedCapacity];
  return std::string(text, FormatFixedTo(text, value, precision, digits, decimalSeparator));
}

}  // namespace quillmere
