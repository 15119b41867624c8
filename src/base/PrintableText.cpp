#include "base/PrintableText.h"

#include <cstdint>

namespace quillmere {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

void AppendEscape(std::string& out, unsigned char byte) {
  out += "\\x";
  out += kHexDigits[byte >> 4];
  out += kHexDigits[byte & 0x0F];
}

//! Length of the well-formed UTF-8 character at the start of `text` (shortest form, no
//! surrogates, at most U+10FFFF), or 0 when it is not one.
std::size_t Utf8Length(std::string_view text) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  std::size_t length = 0;
  std::uint32_t code = 0;
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    code = lead & 0x1Fu;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    code = lead & 0x0Fu;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    code = lead & 0x07u;
  } else {
    return 0;
  }
  if (text.size() < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
    code = (code << 6) | (byte(i) & 0x3Fu);
  }
  if ((length == 3 && code < 0x800) || (length == 4 && code < 0x10000) || code > 0x10FFFF ||
      (code >= 0xD800 && code <= 0xDFFF)) {
    return 0;
  }
  return length;
}

}  // namespace

std::string PrintableText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  while (!text.empty()) {
    const auto lead = static_cast<unsigned char>(text[0]);
    const std::size_t length = Utf8Length(text);
    if (length == 0) {
      AppendEscape(out, lead);
      text.remove_prefix(1);
      continue;
    }
    if (length == 1) {
      switch (lead) {
        case '\t':
          out += "\\t";
          break;
        case '\n':
          out += "\\n";
          break;
        case '\r':
          out += "\\r";
          break;
        default:
          if (lead < 0x20 || lead == 0x7F) {
            AppendEscape(out, lead);
          } else {
            out += static_cast<char>(lead);
          }
      }
    } else if (length == 2 && lead == 0xC2 && static_cast<unsigned char>(text[1]) < 0xA0) {
      // U+0080 to U+009F, the C1 controls (CSI among them).
      AppendEscape(out, lead);
      AppendEscape(out, static_cast<unsigned char>(text[1]));
    } else {
      out.append(text.substr(0, length));
    }
    text.remove_prefix(length);
  }
  return out;
}

std::string Quoted(std::string_view text) {
  // Appended piece by piece: a literal before a temporary string makes GCC 12 warn of
  // overlapping copies (-Wrestrict) where there are none.
  const std::string printable = PrintableText(text);
  std::string quoted;
  quoted.reserve(printable.size() + 2);
  quoted += '"';
  quoted += printable;
  quoted += '"';
  return quoted;
}

}  // namespace quillmere
