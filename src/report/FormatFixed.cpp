#include "report/FormatFixed.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <optional>

// F(P, D) rounds twice: first |value| to its 18 correctly rounded significant digits (ties to
// even), then those digits half away from zero to k = min(E + D, P, 18) digits. A double is
// exactly m / 2^s, so for the values a run prints (below 2^53, D not negative) the digits up to
// place k and the exact fraction after them come from one 128-bit product, m × 10^D (or
// m × 10^(P - E + D) when P limits), shifted by s. The first rounding moves |value| by at most
// half a unit of the 18th digit, so the digits after place k read 5000... or more exactly when
// the fraction is at least 1/2 - 10^(k - 18) / 2; that test is made on the exact fraction. Other
// values (D negative, |value| of 2^53 or more, more integer digits than P) take the 18 digits
// from std::to_chars and round them as integers.

namespace quillmere {
namespace {

__extension__ typedef unsigned __int128 Uint128;

//! Significant digits from which every number text is rounded.
constexpr int kSignificantDigits = 18;

//! Fewest decimals worth telling apart: from 330 places before the point on, every double
//! rounds to zero. Bounding D keeps E + D far from the int range.
constexpr int kFewestDigits = -400;

//! 10^0 to 10^38, every power of ten below 2^128.
constexpr std::array<Uint128, 39> kPowersOfTen = [] {
  std::array<Uint128, 39> powers{};
  powers[0] = 1;
  for (std::size_t i = 1; i < powers.size(); ++i) powers[i] = powers[i - 1] * 10;
  return powers;
}();

//! |value| after both roundings: significand / 10^scale, the significand below 10^19 and 0 for
//! a value that has become zero.
struct Rounded {
  std::uint64_t significand = 0;
  int scale = 0;
};

//! Decimal digits of `x`, which is at least 1.
int DecimalLength(Uint128 x) {
  const auto high = static_cast<std::uint64_t>(x >> 64);
  const int bits = high != 0 ? 128 - std::countl_zero(high)
                             : 64 - std::countl_zero(static_cast<std::uint64_t>(x));
  const int guess = (bits * 1233) >> 12;  // floor(bits × log10(2)), x < 10^(guess + 1)
  return guess + (x >= kPowersOfTen[static_cast<std::size_t>(guess)] ? 1 : 0);
}

enum class Rounding { Down, Up, Undecided };

//! Whether the kept digits, `kept` = k of them with k at most 17 (0 when the first digit is
//! the one dropped), round up, given the exact fraction after them, remainder / 2^shift with
//! shift at least 1.
Rounding RoundHalfAway(Uint128 remainder, int shift, int kept) {
  const Uint128 half = Uint128{1} << (shift - 1);
  if (remainder >= half) return Rounding::Up;
  // Below the half by `gap`: rounds up only when gap ≤ half / 10^j, j = 18 - k (the unit of
  // the 18th digit is 10^-j units of the kept digit). As 10^j > 8^j, a gap above half / 8^j
  // rounds down; that settles nearly every value before any multiplication.
  const Uint128 gap = half - remainder;
  const int j = kSignificantDigits - std::max(kept, 0);
  if (3 * j >= shift - 1 || gap > (half >> (3 * j))) return Rounding::Down;
  // gap ≤ 2^(shift - 1 - 3j), so gap × 10^j < 2^(shift + 5): it fits while shift ≤ 122.
  if (shift > 122) return Rounding::Undecided;
  const Uint128 scaledGap = gap * kPowersOfTen[static_cast<std::size_t>(j)];
  if (scaledGap != half) return scaledGap < half ? Rounding::Up : Rounding::Down;
  // Exactly half a unit of the 18th digit below ...5000: the 18 digits take the even one of
  // ...5000 and ...4999, which is ...5000 unless the 5 is the 18th digit itself (k = 17).
  return kept < kSignificantDigits - 1 ? Rounding::Up : Rounding::Down;
}

//! The rounding of |value| = mantissa / 2^shift (mantissa below 2^53, shift at least 1) by
//! exact integer arithmetic; nothing when it takes the 18-digit route.
std::optional<Rounded> RoundExactly(std::uint64_t mantissa, int shift, int precision, int digits) {
  if (digits < 0) return std::nullopt;
  // |value| × 10^D < 2^53 × 10^18 / 2^128 < 2^-15: rounds to zero.
  if (shift >= 128) return Rounded{};

  int scale = digits;
  Uint128 scaled = Uint128{mantissa} * kPowersOfTen[static_cast<std::size_t>(scale)];
  Uint128 whole = scaled >> shift;
  // k = E + D: the digits of the whole part (0 when there are none, k ≤ 0).
  int kept = whole == 0 ? 0 : DecimalLength(whole);
  if (kept > precision) {
    // k = P: drop the digits beyond the precision by scaling less.
    scale -= kept - precision;
    if (scale < 0) return std::nullopt;
    scaled = Uint128{mantissa} * kPowersOfTen[static_cast<std::size_t>(scale)];
    whole = scaled >> shift;
    kept = precision;
  }
  const Uint128 remainder = scaled & ((Uint128{1} << shift) - 1);
  Rounded rounded{static_cast<std::uint64_t>(whole), scale};

  if (kept == kSignificantDigits) {
    // All 18 digits are kept: the correct rounding, ties to even, is the only one.
    const Uint128 half = Uint128{1} << (shift - 1);
    if (remainder > half || (remainder == half && (rounded.significand & 1) != 0)) {
      ++rounded.significand;
    }
    return rounded;
  }
  switch (RoundHalfAway(remainder, shift, kept)) {
    case Rounding::Up:
      ++rounded.significand;
      return rounded;
    case Rounding::Down:
      return rounded;
    case Rounding::Undecided:
      break;
  }
  return std::nullopt;
}

//! The rounding of `magnitude` (finite, above zero) through its 18 correctly rounded digits
//! from std::to_chars, then half away from zero at digit k.
Rounded RoundViaEighteenDigits(double magnitude, int precision, int digits) {
  // "d.ddddddddddddddddde±XXX": one digit before the point, 17 after.
  char text[32];
  const char* const end = std::to_chars(text, text + sizeof text, magnitude,
                                        std::chars_format::scientific, kSignificantDigits - 1)
                              .ptr;
  std::uint64_t eighteen = static_cast<std::uint64_t>(text[0] - '0');
  for (int i = 2; i <= kSignificantDigits; ++i) {
    eighteen = eighteen * 10 + static_cast<std::uint64_t>(text[i] - '0');
  }
  const char* const sign = text + kSignificantDigits + 2;  // the character after 'e'
  int power = 0;
  std::from_chars(sign + 1, end, power);
  // d.ddd × 10^power = 0.dddd × 10^E
  const int exponent = (*sign == '-' ? -power : power) + 1;

  const int kept = std::min({exponent + digits, precision, kSignificantDigits});
  if (kept < 0) return {};
  if (kept == kSignificantDigits) return {eighteen, kSignificantDigits - exponent};
  const auto unit =
      static_cast<std::uint64_t>(kPowersOfTen[static_cast<std::size_t>(kSignificantDigits - kept)]);
  const std::uint64_t dropped = eighteen % unit;
  return {eighteen / unit + (dropped >= unit / 2 ? 1 : 0), kept - exponent};
}

char* Fill(char* out, char c, int length) {
  if (length <= 0) return out;
  return std::fill_n(out, length, c);
}

char* Write(char* out, const char* text, int length) {
  if (length <= 0) return out;
  return std::copy(text, text + length, out);
}

//! "1.235E004": the first digit, the other digits (trailing zeros dropped) after the
//! separator, "E", the power of ten of the first digit, E - 1, zero padded to `digits` places
//! when `digits` is at most 4. E exceeds P, which is at least 2, so the power is positive.
char* WriteScientific(char* out, const char* significand, int length, int exponent, int digits,
                      char decimalSeparator) {
  while (significand[length - 1] == '0') --length;
  *out++ = significand[0];
  if (length > 1) {
    *out++ = decimalSeparator;
    out = Write(out, significand + 1, length - 1);
  }
  *out++ = 'E';
  char power[8];
  const int powerLength =
      static_cast<int>(std::to_chars(power, power + sizeof power, exponent - 1).ptr - power);
  if (digits <= 4) out = Fill(out, '0', digits - powerLength);
  return Write(out, power, powerLength);
}

//! "1344.800", "0.000009030": significand × 10^(decimals - scale) written with `decimals`
//! places after the separator (none when `decimals` is 0), a single 0 before it when the
//! number is below 1.
char* WriteFixed(char* out, const char* significand, int length, int scale, int decimals,
                 char decimalSeparator) {
  const int zeros = decimals - scale;  // after the significand's digits, never negative
  const int integerLength = length + zeros - decimals;
  if (integerLength <= 0) {
    *out++ = '0';
    if (decimals == 0) return out;
    *out++ = decimalSeparator;
    out = Fill(out, '0', -integerLength);
    out = Write(out, significand, length);
    return Fill(out, '0', zeros);
  }
  if (integerLength >= length) {
    out = Write(out, significand, length);
    out = Fill(out, '0', integerLength - length);
    if (decimals == 0) return out;
    *out++ = decimalSeparator;
    return Fill(out, '0', decimals);
  }
  out = Write(out, significand, integerLength);
  *out++ = decimalSeparator;  // integerLength < length + zeros, so decimals > 0
  out = Write(out, significand + integerLength, length - integerLength);
  return Fill(out, '0', zeros);
}

}  // namespace

std::size_t FormatFixedTo(char* out, double value, int precision, int digits,
                          char decimalSeparator) {
  precision = std::clamp(precision, 2, kSignificantDigits);
  digits = std::clamp(digits, kFewestDigits, kSignificantDigits);
  char* const start = out;

  if (std::isnan(value)) return static_cast<std::size_t>(Write(out, "NAN", 3) - start);
  if (std::isinf(value)) {
    if (value < 0) *out++ = '-';
    return static_cast<std::size_t>(Write(out, "INF", 3) - start);
  }

  // |value| = mantissa × 2^power, subnormals included.
  const auto bits = std::bit_cast<std::uint64_t>(value);
  const auto biasedPower = static_cast<int>((bits >> 52) & 0x7FF);
  std::uint64_t mantissa = bits & ((std::uint64_t{1} << 52) - 1);
  const int power = biasedPower == 0 ? -1074 : biasedPower - 1075;
  if (biasedPower != 0) mantissa |= std::uint64_t{1} << 52;

  Rounded rounded;
  if (mantissa != 0) {
    std::optional<Rounded> exact;
    if (power < 0) exact = RoundExactly(mantissa, -power, precision, digits);
    rounded = exact ? *exact : RoundViaEighteenDigits(std::fabs(value), precision, digits);
  }

  const int decimals = std::max(digits, 0);
  // A value that has become zero has no digits and no sign.
  if (rounded.significand == 0) {
    return static_cast<std::size_t>(WriteFixed(out, "", 0, decimals, decimals, decimalSeparator) -
                                    start);
  }
  if ((bits >> 63) != 0) *out++ = '-';
  char significand[24];
  const int length = static_cast<int>(
      std::to_chars(significand, significand + sizeof significand, rounded.significand).ptr -
      significand);
  const int exponent = length - rounded.scale;  // |value| = 0.ddd × 10^E
  out = exponent > precision
            ? WriteScientific(out, significand, length, exponent, digits, decimalSeparator)
            : WriteFixed(out, significand, length, rounded.scale, decimals, decimalSeparator);
  return static_cast<std::size_t>(out - start);
}

std::string FormatFixed(double value, int precision, int digits, char decimalSeparator) {
  char text[kFormatFixedCapacity];
  return std::string(text, FormatFixedTo(text, value, precision, digits, decimalSeparator));
}

}  // namespace quillmere
