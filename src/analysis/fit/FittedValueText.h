// The text of a fitted value as the fitted data file carries it: with the digits that its
// standard error justifies, so that the window's field shows the whole number and no digit of
// it is noise.
#pragma once

#include <optional>
#include <string>

namespace quillmere {

//! Most significant digits of a fitted value: beyond them the model's own rounding shows.
inline constexpr int kFittedValueDigits = 6;

//! `value` rounded to the decimal place of the second significant digit of `standardError`,
//! and to kFittedValueDigits significant digits at most, written in the shortest fixed form
//! with "." ("0.296" for 0.29600734674923024 ± 0.0078; "0.452317" without a standard error).
//! A standard error that is missing, zero or not finite leaves kFittedValueDigits.
std::string FittedValueText(double value, std::optional<double> standardError);

}  // namespace quillmere
