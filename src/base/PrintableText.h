// Texts from outside the program (field texts, data file lines, file names) quoted in
// messages: control characters and bytes that are not UTF-8 are shown as escapes, so that a
// message can never move a terminal's cursor, clear its screen or set its title.
#pragma once

#include <string>
#include <string_view>

namespace quillmere {

//! `text` with every control character (C0, DEL, C1) written as an escape ("\t", "\n", "\r",
//! otherwise \xHH) and every byte that does not belong to a well-formed UTF-8 character as
//! \xHH; other characters unchanged.
std::string PrintableText(std::string_view text);

//! PrintableText in double quotation marks; a text longer than kLongestQuoted bytes is cut
//! there and its length named: "abc..." (5242880 bytes).
std::string Quoted(std::string_view text);

//! The most bytes of a text from outside that a message quotes.
inline constexpr std::size_t kLongestQuoted = 200;

//! PrintableText of a whole message, cut after `most` bytes with its length named.
std::string PrintableMessage(std::string_view text, std::size_t most = 4096);

}  // namespace quillmere
