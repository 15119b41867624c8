// Text files are written and read in code page 932 (Shift JIS with the Windows extensions).
#pragma once

#include <string>
#include <string_view>

namespace quillmere {

//! UTF-8 to code page 932; a character the code page lacks becomes "?".
std::string EncodeCodePage932(std::string_view utf8);

//! Code page 932 to UTF-8; a byte sequence that is not valid code page 932 becomes U+FFFD.
std::string DecodeCodePage932(std::string_view bytes);

}  // namespace quillmere
