// The number formatter as it was first written, kept as the standard against which the fast
// FormatFixedTo is checked: the 18 correctly rounded significant digits from std::to_chars,
// rounded again half away from zero as digit characters. Plain C++, so that the fuzz targets
// can build it without GoogleTest.
#pragma once

#include <cstddef>
#include <string>

namespace quillmere::test {

//! What FormatFixedTo writes, computed the slow and obvious way: the same arguments, the same
//! text, the same length.
std::size_t ReferenceFormatFixedTo(char* out, double value, int precision, int digits,
                                   char decimalSeparator);

//! The same as a string.
std::string ReferenceFormatFixed(double value, int precision, int digits,
                                 char decimalSeparator = '.');

}  // namespace quillmere::test
