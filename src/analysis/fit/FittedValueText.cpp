#include "analysis/fit/FittedValueText.h"

#include <Eigen/Dense>

#include <cstdlib>

#include "analysis/fit/Fit.h"

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

int FittedDecimals(double value, std::optional<double> standardError) {
  // Decimals to keep: the error's second significant digit, and no more than the value's
  // kFittedValueDigits-th.
  int decimals = kFittedValueDigits - 1 - LeadingDecade(value);
  if (standardError && std::isfinite(*standardError) && *standardError > 0) {
    decimals = std::min(decimals, 1 - LeadingDecade(*standardError));
  }
  return decimals;
}

std::string FixedValueText(double value, int decimals) {
  if (value == 0 || !std::isfinite(value)) return value == 0 ? "0" : "";
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

std::string FittedValueText(double value, std::optional<double> standardError) {
  if (value == 0 || !std::isfinite(value)) return value == 0 ? "0" : "";
  return FixedValueText(value, FittedDecimals(value, standardError));
}

namespace {

//! The shortest text that reads back to `value`, in fixed form where it is short.
std::string ExactText(double value) {
  char text[64];
  const auto end = std::to_chars(text, text + sizeof text, value);
  return std::string(text, end.ptr);
}

//! The 95 % quantile of chi-square for one degree of freedom: the smallest rise of the sum of
//! squares that ends a profile interval (with the residual variance it is s² t², t² above it).
constexpr double kChiSquare95One = 3.841458820694124;

}  // namespace

std::vector<std::optional<std::string>> FileValueTexts(const FitResult& result) {
  const std::size_t n = result.Parameters.size();
  std::vector<std::optional<std::string>> texts(n);
  std::vector<std::size_t> kept;  // parameters in the covariance, in its order
  for (const std::string& name : result.CorrelationNames) {
    for (std::size_t i = 0; i < n; ++i) {
      if (result.Parameters[i].Name == name) kept.push_back(i);
    }
  }
  for (std::size_t i = 0; i < n; ++i) {
    if (result.Parameters[i].Identifiable) texts[i] = ExactText(result.Parameters[i].Fitted);
  }
  const std::size_t m = kept.size();
  if (m == 0 || result.Correlation.size() != m) return texts;
  Eigen::MatrixXd covariance(m, m);
  for (std::size_t a = 0; a < m; ++a) {
    const std::optional<double>& ea = result.Parameters[kept[a]].StandardError;
    for (std::size_t b = 0; b < m; ++b) {
      const std::optional<double>& eb = result.Parameters[kept[b]].StandardError;
      if (!ea || !eb) return texts;
      covariance(a, b) = *ea * *eb * result.Correlation[a][b];
    }
  }
  const Eigen::LDLT<Eigen::MatrixXd> factors(covariance);
  if (factors.info() != Eigen::Success || !factors.isPositive()) return texts;
  for (int extra = 0; extra <= 12; ++extra) {
    Eigen::VectorXd rounding(m);
    std::vector<std::string> candidates(m);
    for (std::size_t a = 0; a < m; ++a) {
      const FittedParameter& p = result.Parameters[kept[a]];
      candidates[a] = FixedValueText(p.Fitted, FittedDecimals(p.Fitted, p.StandardError) + extra);
      rounding(a) = std::strtod(candidates[a].c_str(), nullptr) - p.Fitted;
    }
    const double rise = rounding.dot(factors.solve(rounding));
    if (std::isfinite(rise) && rise <= kFileRoundingShare * kChiSquare95One) {
      for (std::size_t a = 0; a < m; ++a) texts[kept[a]] = candidates[a];
      return texts;
    }
  }
  return texts;
}

}  // namespace quillmere
