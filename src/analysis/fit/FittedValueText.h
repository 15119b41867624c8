// The text of a fitted value as the fitted data file carries it: with the digits that its
// standard error justifies, so that the window's field shows the whole number and no digit of
// it is noise.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quillmere {

//! Most significant digits of a fitted value: beyond them the model's own rounding shows.
inline constexpr int kFittedValueDigits = 6;

//! `value` rounded to the decimal place of the second significant digit of `standardError`,
//! and to kFittedValueDigits significant digits at most, written in the shortest fixed form
//! with "." ("0.296" for 0.29600734674923024 ± 0.0078; "0.452317" without a standard error).
//! A standard error that is missing, zero or not finite leaves kFittedValueDigits.
std::string FittedValueText(double value, std::optional<double> standardError);

struct FitResult;

//! The share of the fit's 95 % region (the rise of the sum of squares that ends a profile
//! interval) that rounding the values written into the fitted data file may cost at most.
inline constexpr double kFileRoundingShare = 0.01;

//! Each free parameter's text as the fitted data file carries it, in the order of --free;
//! nullopt for a parameter the measurements cannot determine (its field keeps its start
//! value). Where the covariance is known, each value gets the digits its standard error
//! justifies and, all together, as many more as keep the rise of the sum of squares
//! δᵀ C⁻¹ δ that the rounding δ causes within kFileRoundingShare of the 95 % region: with
//! correlated parameters, rounding each to its own standard error would leave the file far
//! outside the fit. Without a covariance, the shortest text that reads back to the value.
std::vector<std::optional<std::string>> FileValueTexts(const FitResult& result);

//! `value` in the shortest fixed form with "." and `decimals` decimals at most (trailing zeros
//! dropped); `decimals` may be negative (rounded to tens, hundreds ...).
std::string FixedValueText(double value, int decimals);

//! The decimals FittedValueText keeps for `value` with `standardError`.
int FittedDecimals(double value, std::optional<double> standardError);

}  // namespace quillmere
