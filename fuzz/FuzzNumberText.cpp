// Field text conversion against an independent reading of the number grammar: a text the
// grammar refuses is never accepted, and an accepted text gives the double that the C
// library's correctly rounded decimal conversion gives.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <regex>
#include <string>

#include "base/NumberText.h"

namespace {

bool Matches(const std::string& text, char separator) {
  static const std::regex point(R"( *[+-]?([0-9]+(\.[0-9]*)?|\.[0-9]*)([eE][+-]?[0-9]*)? *)");
  static const std::regex comma(R"( *[+-]?([0-9]+(,[0-9]*)?|,[0-9]*)([eE][+-]?[0-9]*)? *)");
  return std::regex_match(text, separator == ',' ? comma : point);
}

// The text in the C library's own notation: no blanks, "." as separator, a mantissa without
// digits written 0, an exponent letter without digits left out.
std::string Normalised(const std::string& text, char separator) {
  std::string out;
  bool mantissaDigit = false;
  std::size_t i = 0;
  while (text[i] == ' ') ++i;
  if (text[i] == '+' || text[i] == '-') out += text[i++];
  for (; i < text.size() && text[i] != 'e' && text[i] != 'E' && text[i] != ' '; ++i) {
    mantissaDigit = mantissaDigit || (text[i] >= '0' && text[i] <= '9');
    out += text[i] == separator ? '.' : text[i];
  }
  if (!mantissaDigit) out += '0';
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    std::string exponent = "e";
    for (++i; i < text.size() && text[i] != ' '; ++i) exponent += text[i];
    if (exponent.find_first_of("0123456789") != std::string::npos) out += exponent;
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const char separator = (data[0] & 1) != 0 ? ',' : '.';
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  const auto value = quillmere::ParseNumber(text, separator);
  if (!Matches(text, separator)) {
    if (value) __builtin_trap();  // accepted a text outside the grammar
    return 0;
  }
  const double expected = std::strtod(Normalised(text, separator).c_str(), nullptr);
  if (std::isinf(expected)) {
    if (value) __builtin_trap();  // accepted a magnitude beyond the double range
    return 0;
  }
  if (!value) __builtin_trap();  // refused a number of the grammar
  if (std::memcmp(&*value, &expected, sizeof expected) != 0) __builtin_trap();
  return 0;
}
