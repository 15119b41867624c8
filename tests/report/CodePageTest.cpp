#include "report/CodePage.h"

#include <gtest/gtest.h>

#include <string>

namespace quillmere {
namespace {

TEST(CodePage932, EncodesAsciiUnchanged) {
  const std::string ascii = "  ZONE 14\r\n=  0.000\\result~1.txt\t";
  EXPECT_EQ(EncodeCodePage932(ascii), ascii);
  EXPECT_EQ(EncodeCodePage932(""), "");
}

TEST(CodePage932, EncodesTheLabelCharacters) {
  EXPECT_EQ(EncodeCodePage932("χ"), "\x83\xD4");  // GREEK SMALL LETTER CHI
  EXPECT_EQ(EncodeCodePage932("℃"), "\x81\x8E");  // DEGREE CELSIUS
  EXPECT_EQ(EncodeCodePage932("Interaction Parameter χ1p"),
            std::string("Interaction Parameter \x83\xD4") + "1p");
  EXPECT_EQ(EncodeCodePage932("Outer Temperature (℃)"), "Outer Temperature (\x81\x8E)");
}

TEST(CodePage932, WritesAQuestionMarkForACharacterItLacks) {
  EXPECT_EQ(EncodeCodePage932("é"), "?");
  EXPECT_EQ(EncodeCodePage932("x\xC3\xA9z"), "x?z");               // é between letters
  EXPECT_EQ(EncodeCodePage932("\xF0\x9F\x98\x80℃"), "?\x81\x8E");  // an emoji, then ℃
  EXPECT_EQ(EncodeCodePage932("éé"), "??");
}

TEST(CodePage932, WritesAQuestionMarkForMalformedUtf8) {
  EXPECT_EQ(EncodeCodePage932("\xC3("), "?(");      // a lead byte without its continuation
  EXPECT_EQ(EncodeCodePage932("x\x80z"), "x?z");    // a lone continuation byte
  EXPECT_EQ(EncodeCodePage932("a\xE2\x84"), "a?");  // a character cut off at the end
}

TEST(CodePage932, DecodesToUtf8) {
  EXPECT_EQ(DecodeCodePage932("\x83\xD4"), "χ");
  EXPECT_EQ(DecodeCodePage932("\x81\x8E"), "℃");
  EXPECT_EQ(DecodeCodePage932("\xB1"), "ｱ");  // half-width katakana, one byte
  EXPECT_EQ(DecodeCodePage932("x=0.5 m/s\\~"), "x=0.5 m/s\\~");
  EXPECT_EQ(DecodeCodePage932(""), "");
}

TEST(CodePage932, DecodesInvalidBytesAsReplacementCharacter) {
  EXPECT_EQ(DecodeCodePage932("\x80"), "\uFFFD");
  EXPECT_EQ(DecodeCodePage932("x\xFFz"), "x\uFFFDz");
  EXPECT_EQ(DecodeCodePage932("\x81 =  1"), "\uFFFD =  1");  // a bad second byte is kept
  EXPECT_EQ(DecodeCodePage932("= 1\x81"), "= 1\uFFFD");      // a lead byte cut off at the end
}

TEST(CodePage932, RoundTripsTheLabels) {
  for (const std::string text : {"Interaction Parameter χ12", "Initial Temperature (℃)"}) {
    EXPECT_EQ(DecodeCodePage932(EncodeCodePage932(text)), text);
  }
}

TEST(CodePage932, ConvertsLongTexts) {
  // One byte each in code page 932, three in UTF-8: the output outgrows a first guess.
  std::string katakana;
  for (int i = 0; i < 5000; ++i) katakana += "ｱ";
  EXPECT_EQ(DecodeCodePage932(std::string(5000, '\xB1')), katakana);
  EXPECT_EQ(EncodeCodePage932(katakana), std::string(5000, '\xB1'));
}

// The converter is handed the text in windows: a double-byte character or a UTF-8 sequence
// that straddles a window's edge is converted whole, at every offset.
TEST(CodePage932, ConvertsCharactersAcrossTheConvertersWindows) {
  for (std::size_t lead = 4090; lead < 4100; ++lead) {
    const std::string bytes = std::string(lead, 'a') + "\x83\xD4" + std::string(10, 'b');
    const std::string text = std::string(lead, 'a') + "χ" + std::string(10, 'b');
    EXPECT_EQ(DecodeCodePage932(bytes), text) << lead;
    EXPECT_EQ(EncodeCodePage932(text), bytes) << lead;
  }
  // A lead byte at the very end stays unconvertible, also after many windows.
  EXPECT_EQ(DecodeCodePage932(std::string(8192, 'a') + "\x81"), std::string(8192, 'a') + "\uFFFD");
}

// Each unconvertible byte costs the same, wherever it stands: megabytes of them decode in about
// the time of their length (a checked build once took longer than a minute for ten).
TEST(CodePage932, DecodesManyInvalidBytesInLinearTime) {
  const std::string invalid(2'000'000, '\x80');
  const std::string decoded = DecodeCodePage932(invalid);
  ASSERT_EQ(decoded.size(), 3 * invalid.size());
  EXPECT_EQ(decoded.substr(decoded.size() - 3), "\uFFFD");
}

// A file from the plant's PCs: UTF-8 (with or without its mark) is taken as it is, anything
// else as code page 932; UTF-16 is named by its mark.
TEST(CodePage932, TellsUtf8FromCodePage932AndNamesUtf16) {
  const struct {
    std::string bytes;
    bool utf8;
    std::string decoded;
  } texts[] = {
      {"", true, ""},
      {"Temperature (℃)", true, "Temperature (℃)"},
      {"\xEF\xBB\xBFPosition (m)", true, "Position (m)"},
      {"Temperature (\x81\x8E)", false, "Temperature (℃)"},
      {"Temperature (\x81\x8B"
       "C)",
       false, "Temperature (°C)"},
      {"\xC0\xAF", false, "ﾀｯ"},    // "/" written overlong is not UTF-8
      {"a\xE2\x84", false, "a邃"},  // a UTF-8 character cut off is two-byte code page 932
  };
  for (const auto& text : texts) {
    SCOPED_TRACE(text.bytes);
    EXPECT_EQ(IsUtf8(text.bytes), text.utf8 || text.bytes.starts_with("\xEF\xBB\xBF"));
    EXPECT_EQ(DecodeUtf8OrCodePage932(text.bytes), text.decoded);
  }
  EXPECT_EQ(Utf16Encoding("\xFF\xFE=\0"), "UTF-16 (little-endian)");
  EXPECT_EQ(Utf16Encoding("\xFE\xFF\0="), "UTF-16 (big-endian)");
  EXPECT_EQ(Utf16Encoding("\xEF\xBB\xBF="), "");
  EXPECT_EQ(Utf16Encoding("\xFF"), "");
}

}  // namespace
}  // namespace quillmere
