#include "base/PrintableText.h"

#include <gtest/gtest.h>

namespace quillmere {
namespace {

// Texts from files and fields are quoted in messages: nothing in them may act on a terminal.
TEST(PrintableText, EscapesControlCharactersAndBytesThatAreNotUtf8) {
  const std::pair<std::string, std::string> cases[] = {
      {"60.0", "60.0"},
      {"C:\\data\\line 3.dat", "C:\\data\\line 3.dat"},
      {"χ℃ ｱ", "χ℃ ｱ"},
      {"\x1B[2J\x1B]0;title\x07", "\\x1B[2J\\x1B]0;title\\x07"},
      {"a\tb\nc\rd", "a\\tb\\nc\\rd"},
      {std::string("nul\0!", 5), "nul\\x00!"},
      {"\x7F", "\\x7F"},
      {"\xC2\x9B"
       "31m",
       "\\xC2\\x9B31m"},                    // CSI as a C1 control
      {"\x83\xD4", "\\x83\\xD4"},           // code page 932 bytes, not UTF-8
      {"\xC0\xAF", "\\xC0\\xAF"},           // an overlong form
      {"\xED\xA0\x80", "\\xED\\xA0\\x80"},  // a surrogate
      {"ok\xE2\x84", "ok\\xE2\\x84"},       // cut off
  };
  for (const auto& [text, printable] : cases) EXPECT_EQ(PrintableText(text), printable) << text;
  EXPECT_EQ(Quoted("a\x1B"), "\"a\\x1B\"");
}

}  // namespace
}  // namespace quillmere
