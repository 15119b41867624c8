#include "analysis/fit/FittedValueText.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace quillmere {
namespace {

//! The power of ten of the first significant digit of a finite, non-zero `x`.
int LeadingDecade(double x) {
  return static_cast<int>(std::floor(std::log10(std::abs(x))));
}

}  // namespace

std::string FittedValueText(double value, std::optional<double> standardError) {
  if (value == 0 || !std::isfinite(value)) return value == 0 ? "0" : "";
  // Decimals to keep: the error's second significant digit, and no more than the value's
  // kFittedValueDigits-th.
  int decimals = kFittedValueDigits - 1 - LeadingDecade(value);
  if (standardError && std::isfinite(*standardError) && *standardError > 0) {
    decimals = std::min(decimals, 1 - LeadingDecade(*standardError));
  }
  double rounded = value;
  if (decimals < 0) {
    const double unit = std::pow(10.0, -decimals);
    rounded = std::round(value / unit) * unit;
    decimals = 0;
  }
  char text[400];
  const auto end =
      std::to_chars(text, text + sizeof text, rounded, std::chars_format::fixed, decimals);
  std::string s(text, end.ptr);
  if (s.find('.') != std::string::npos) {
    s.erase(s.find_last_not_of('0') + 1);
    if (s.back() == '.') s.pop_back();
  }
  if (s == "-0") s = "0";
  return s;
}

}  // namespace quillmere
