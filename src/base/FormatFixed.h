// The one rule by which every number of the result file becomes text; the program's other
// messages write their numbers by it too.
#pragma once

#include <cstddef>
#include <string>

namespace quillmere {

//! Room a FormatFixedTo buffer needs.
inline constexpr std::size_t kFormatFixedCapacity = 64;

//! F(P, D): `value` rounded half away from zero to at most `precision` significant digits
//! (clamped to 2..18) and at most `digits` decimals (at most 18), written in fixed form with
//! exactly `digits` decimals ("1.470", "0.000009030", "-0.001", "0.000" for a value that
//! rounds to zero), or in scientific form when it has more integer digits than `precision`
//! ("1.235E004"). Writes into `out` (kFormatFixedCapacity chars) and returns the length.
std::size_t FormatFixedTo(char* out, double value, int precision, int digits,
                          char decimalSeparator);

//! The same as a string.
std::string FormatFixed(double value, int precision, int digits, char decimalSeparator = '.');

}  // namespace quillmere
