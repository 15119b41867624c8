#include "base/NumberText.h"

#include <charconv>
#include <clocale>
#include <cmath>
#include <optional>
#include <string>
#include <system_error>

namespace quillmere {
namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Decimal exponent bound beyond which every non-zero mantissa is out of the double range in
// one direction; used only to tell overflow from underflow and to keep the sum from wrapping.
constexpr long kExponentSaturation = 100000000;

// A number's digits with at most one separator among, before or after them, copied with "."
// as the separator for from_chars, and where its first significant digit stands (to tell an
// overflow from an underflow).
struct Mantissa {
  std::string Digits;
  long SignificantIntegerDigits = 0;  //!< integer digits from the first non-zero one
  long LeadingFractionZeros = 0;      //!< zeros between the point and the first non-zero digit

  //! The power of ten of the first significant digit, roughly.
  long LeadingDigitExponent() const {
    return SignificantIntegerDigits > 0 ? SignificantIntegerDigits : -LeadingFractionZeros;
  }
};

// The mantissa from text[i] on, i left after it; nullopt where it has neither digit nor
// separator. A lone separator reads 0.
std::optional<Mantissa> ReadMantissa(std::string_view text, std::size_t& i, char separator) {
  Mantissa m;
  bool separatorSeen = false;
  bool digitSeen = false;
  bool significantSeen = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (IsDigit(c)) {
      digitSeen = true;
      m.Digits += c;
      if (c != '0') significantSeen = true;
      if (!separatorSeen && significantSeen) ++m.SignificantIntegerDigits;
      if (separatorSeen && !significantSeen) ++m.LeadingFractionZeros;
    } else if (c == separator && !separatorSeen) {
      separatorSeen = true;
      m.Digits += '.';
    } else {
      break;
    }
  }
  if (!digitSeen && !separatorSeen) return std::nullopt;
  if (!digitSeen) m.Digits += '0';
  return m;
}

// The exponent from text[i] on, i left after it: the letter, an optional sign and digits,
// appended to `number` for from_chars; the letter alone means exponent 0. Its value saturates
// at kExponentSaturation.
long ReadExponent(std::string_view text, std::size_t& i, std::string& number) {
  const std::size_t n = text.size();
  long exponent = 0;
  if (i >= n || (text[i] != 'E' && text[i] != 'e')) return exponent;
  ++i;
  bool exponentNegative = false;
  if (i < n && (text[i] == '+' || text[i] == '-')) {
    exponentNegative = text[i] == '-';
    ++i;
  }
  const std::size_t digitsStart = i;
  while (i < n && IsDigit(text[i])) {
    if (exponent < kExponentSaturation) exponent = exponent * 10 + (text[i] - '0');
    ++i;
  }
  if (i > digitsStart) {
    number += exponentNegative ? "e-" : "e";
    number.append(text.substr(digitsStart, i - digitsStart));
    if (exponentNegative) exponent = -exponent;
  }
  return exponent;
}

}  // namespace

std::optional<double> ParseNumber(std::string_view text, char decimalSeparator) {
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n && text[i] == ' ') ++i;
  bool negative = false;
  if (i < n && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  std::optional<Mantissa> mantissa = ReadMantissa(text, i, decimalSeparator);
  if (!mantissa) return std::nullopt;
  std::string number = (negative ? "-" : "") + mantissa->Digits;
  const long exponent = ReadExponent(text, i, number);
  while (i < n && text[i] == ' ') ++i;
  if (i != n) return std::nullopt;

  double value = 0;
  const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (ec == std::errc::result_out_of_range) {
    // from_chars reports both directions alike: beyond the double range when the first
    // significant digit stands far left of the point, rounded to zero when far right.
    if (mantissa->LeadingDigitExponent() + exponent > 0) return std::nullopt;
    return negative ? -0.0 : 0.0;
  }
  if (ec != std::errc() || end != number.data() + number.size()) return std::nullopt;
  return value;
}

char LocaleDecimalSeparator() {
  const std::lconv* conventions = std::localeconv();
  if (conventions == nullptr || conventions->decimal_point == nullptr) return '.';
  const std::string_view point = conventions->decimal_point;
  return point.size() == 1 ? point[0] : '.';
}

std::optional<double> ParseDotNumber(std::string_view text) {
  if (text.starts_with('+')) text.remove_prefix(1);
  if (text.empty() || text.find_first_not_of("0123456789.eE+-") != std::string_view::npos) {
    return std::nullopt;
  }
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

double RoundedToDigits(double value, int digits) {
  char text[32];
  const auto written =
      std::to_chars(text, text + sizeof text, value, std::chars_format::general, digits);
  double rounded = value;
  std::from_chars(text, written.ptr, rounded);
  return rounded;
}

}  // namespace quillmere
