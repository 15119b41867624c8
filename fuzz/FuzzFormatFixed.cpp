// FormatFixedTo against the digit-string formatter it replaced (the tests' reference): any
// double, P and D on both sides of their clamped ranges, either separator, the same bytes.
// Input: the double's 8 bytes as the machine stores it, then one byte for P and the separator
// and one for D.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "ReferenceFormatFixed.h"
#include "base/FormatFixed.h"

namespace {

//! P from -4 to 27; bit 0x20 asks for "," as the separator.
int Precision(std::uint8_t byte) {
  return (byte & 0x1F) - 4;
}
char Separator(std::uint8_t byte) {
  return (byte & 0x20) != 0 ? ',' : '.';
}

//! D from -20 to 43, or with bit 0x40 in steps of 10 from -400 to 230.
int Digits(std::uint8_t byte) {
  const int low = byte & 0x3F;
  return (byte & 0x40) != 0 ? low * 10 - 400 : low - 20;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < sizeof(double) + 2) return 0;
  double value = 0;
  std::memcpy(&value, data, sizeof value);
  const int precision = Precision(data[8]);
  const char separator = Separator(data[8]);
  const int digits = Digits(data[9]);

  char fast[quillmere::kFormatFixedCapacity];
  char reference[quillmere::kFormatFixedCapacity];
  const std::size_t length = quillmere::FormatFixedTo(fast, value, precision, digits, separator);
  const std::size_t referenceLength =
      quillmere::test::ReferenceFormatFixedTo(reference, value, precision, digits, separator);
  if (length >= quillmere::kFormatFixedCapacity) __builtin_trap();  // the buffer overflowed
  if (length != referenceLength || std::memcmp(fast, reference, length) != 0) {
    __builtin_trap();  // another text than the reference's
  }
  return 0;
}
