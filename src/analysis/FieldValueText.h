// A computed value put into a field as its text, so that a case runs as if it had been typed:
// a sweep's grid point, an optimiser's setting.
#pragma once

#include <string>

namespace quillmere {

//! The shortest text that reads back to `value`, with the decimal separator in force.
std::string FieldValueText(double value, char decimalSeparator);

}  // namespace quillmere
