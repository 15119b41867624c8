#include "ReferenceFormatFixed.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "base/FormatFixed.h"

namespace quillmere::test {
namespace {

//! Significant digits from which every number text is rounded.
constexpr int kSignificantDigits = 18;

//! A magnitude as 0.d1d2...dn × 10^exponent, digits as characters, no trailing zeros; a zero
//! has no digits and exponent 0.
struct DecimalDigits {
  char digit[kSignificantDigits] = {};
  int count = 0;
  int exponent = 0;
};

//! The 18 significant digits of |value| (correctly rounded, ties to even) and its exponent.
//! `value` is finite and not zero.
DecimalDigits EighteenDigits(double value) {
  // "d.ddddddddddddddddde±XXX": one digit before the point, 17 after.
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, std::fabs(value),
                                    std::chars_format::scientific, kSignificantDigits - 1);
  DecimalDigits d;
  d.digit[0] = text[0];
  std::copy(text + 2, text + 1 + kSignificantDigits, d.digit + 1);
  d.count = kSignificantDigits;

  const char* e = text + 2 + kSignificantDigits;  // the character after 'e'
  const bool negativeExponent = *e == '-';
  int power = 0;
  std::from_chars(e + 1, result.ptr, power);
  // d.ddd × 10^power = 0.dddd × 10^(power + 1)
  d.exponent = (negativeExponent ? -power : power) + 1;
  return d;
}

//! Keeps the first `keep` digits, rounding half away from zero on the digit after them. A
//! carry out of the first place leaves the digit 1 and raises the exponent; trailing zeros go.
void RoundToDigits(DecimalDigits& d, int keep) {
  if (keep < 0) {
    d.count = 0;
  } else if (keep < d.count) {
    const bool up = d.digit[keep] >= '5';
    d.count = keep;
    if (up) {
      int i = keep - 1;
      while (i >= 0 && d.digit[i] == '9') --i;  // nines that carry become trailing zeros
      if (i < 0) {
        d.digit[0] = '1';
        d.count = 1;
        ++d.exponent;
      } else {
        ++d.digit[i];
        d.count = i + 1;
      }
    }
  }
  while (d.count > 0 && d.digit[d.count - 1] == '0') --d.count;
  if (d.count == 0) d.exponent = 0;
}

char* Write(char* out, const char* text, int length) {
  return std::copy(text, text + length, out);
}

char* Fill(char* out, char c, int length) {
  if (length <= 0) return out;
  return std::fill_n(out, length, c);
}

//! "1.235E004": first digit, the other digits after the separator, "E", the power of ten of
//! the first digit, zero padded to `digits` places when `digits` is at most 4.
char* WriteScientific(char* out, const DecimalDigits& d, int digits, char decimalSeparator) {
  *out++ = d.digit[0];
  if (d.count > 1) {
    *out++ = decimalSeparator;
    out = Write(out, d.digit + 1, d.count - 1);
  }
  *out++ = 'E';
  int power = d.exponent - 1;
  if (power < 0) {
    *out++ = '-';
    power = -power;
  }
  char powerText[16];
  const int powerLength = static_cast<int>(
      std::to_chars(powerText, powerText + sizeof powerText, power).ptr - powerText);
  if (digits <= 4) out = Fill(out, '0', digits - powerLength);
  return Write(out, powerText, powerLength);
}

//! "1344.800", "0.000009030": the integer digits (a single 0 when there are none), then
//! exactly `digits` decimals.
char* WriteFixed(char* out, const DecimalDigits& d, int digits, char decimalSeparator) {
  int written = 0;  // digits of d already written
  if (d.exponent <= 0) {
    *out++ = '0';
  } else {
    written = std::min(d.exponent, d.count);
    out = Write(out, d.digit, written);
    out = Fill(out, '0', d.exponent - written);
  }
  if (digits > 0) {
    *out++ = decimalSeparator;
    const int leadingZeros = std::min(d.exponent < 0 ? -d.exponent : 0, digits);
    out = Fill(out, '0', leadingZeros);
    const int rest = std::min(d.count - written, digits - leadingZeros);
    out = Write(out, d.digit + written, rest);
    out = Fill(out, '0', digits - leadingZeros - rest);
  }
  return out;
}

}  // namespace

std::size_t ReferenceFormatFixedTo(char* out, double value, int precision, int digits,
                                   char decimalSeparator) {
  precision = std::clamp(precision, 2, kSignificantDigits);
  digits = std::min(digits, kSignificantDigits);
  char* const start = out;

  if (std::isnan(value)) return static_cast<std::size_t>(Write(out, "NAN", 3) - start);
  if (std::isinf(value)) {
    if (value < 0) *out++ = '-';
    return static_cast<std::size_t>(Write(out, "INF", 3) - start);
  }

  DecimalDigits d;
  if (value != 0) {
    d = EighteenDigits(value);
    RoundToDigits(d, std::min({d.exponent + digits, precision, kSignificantDigits}));
  }
  // A value that has become zero has no sign.
  if (d.count > 0 && std::signbit(value)) *out++ = '-';

  out = d.exponent > precision ? WriteScientific(out, d, digits, decimalSeparator)
                               : WriteFixed(out, d, digits, decimalSeparator);
  return static_cast<std::size_t>(out - start);
}

std::string ReferenceFormatFixed(double value, int precision, int digits, char decimalSeparator) {
  char text[kFormatFixedCapacity];
  return std::string(text,
                     ReferenceFormatFixedTo(text, value, precision, digits, decimalSeparator));
}

}  // namespace quillmere::test
