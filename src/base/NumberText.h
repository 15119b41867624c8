// Field text to number, with the user's decimal separator.
#pragma once

#include <optional>
#include <string_view>

namespace quillmere {

//! Converts a field text to a double. Grammar: blanks, optional sign, decimal digits with at
//! most one decimal separator among, before or after them (a lone separator reads 0), an
//! optional exponent (E or e, optional sign, digits; no digits reads exponent 0), blanks.
//! Empty text, blanks only, any other character, or a magnitude beyond the double range is
//! nullopt. Values too small for a double read as (signed) zero or as subnormals; the digits
//! become the correctly rounded double.
std::optional<double> ParseNumber(std::string_view text, char decimalSeparator);

//! The decimal separator of the user's numeric locale (LC_NUMERIC as currently set in the
//! process), "." where the locale has none or more than one character.
char LocaleDecimalSeparator();

//! A number of a CSV file, always written with "." ("41.2", "-3", "+6.1e-3"); nullopt for
//! anything else, infinities, not-a-numbers and magnitudes beyond the double range included.
std::optional<double> ParseDotNumber(std::string_view text);

//! `value` to `digits` significant digits, as the shortest text of that many would read back:
//! a computed 0.30000000000000004 is 0.3 to 15 digits, and a whole number of increments of z
//! reads as "37.3", not as the product's last bits.
double RoundedToDigits(double value, int digits);

}  // namespace quillmere
