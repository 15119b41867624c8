// Text files are written and read in code page 932 (Shift JIS with the Windows extensions).
#pragma once

#include <string>
#include <string_view>

namespace quillmere {

//! UTF-8 to code page 932; a character the code page lacks becomes "?".
std::string EncodeCodePage932(std::string_view utf8);

//! Code page 932 to UTF-8; a byte sequence that is not valid code page 932 becomes U+FFFD.
std::string DecodeCodePage932(std::string_view bytes);

//! Whether `bytes` are well-formed UTF-8 (ASCII included).
bool IsUtf8(std::string_view bytes);

//! The text of a file that the plant's PCs save either way: the bytes as they are when they are
//! well-formed UTF-8 (a byte order mark in front removed), else decoded from code page 932, as
//! a spreadsheet on a Japanese Windows saves its "CSV (comma delimited)".
std::string DecodeUtf8OrCodePage932(std::string_view bytes);

//! "UTF-16 (little-endian)" or "UTF-16 (big-endian)" when `bytes` begin with that encoding's
//! byte order mark, as a text that Notepad saves as "Unicode" does; empty otherwise.
std::string_view Utf16Encoding(std::string_view bytes);

}  // namespace quillmere
