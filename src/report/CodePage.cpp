#include "report/CodePage.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

namespace quillmere {
namespace {

constexpr const char* kCodePage932 = "CP932";
constexpr const char* kUtf8 = "UTF-8";

//! Written for a character that code page 932 lacks.
constexpr std::string_view kMissingInCodePage = "?";
//! Written for bytes that are not code page 932 (U+FFFD REPLACEMENT CHARACTER).
constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

bool IsAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

//! A conversion descriptor, closed when it goes out of scope.
class IconvHandle {
 public:
  IconvHandle(const char* to, const char* from) : handle_(iconv_open(to, from)) {
    if (handle_ == reinterpret_cast<iconv_t>(-1)) {
      throw std::system_error(errno, std::generic_category(),
                              std::string("Cannot convert text from ") + from + " to " + to);
    }
  }
  ~IconvHandle() { iconv_close(handle_); }
  IconvHandle(const IconvHandle&) = delete;
  IconvHandle& operator=(const IconvHandle&) = delete;

  iconv_t get() const { return handle_; }

 private:
  iconv_t handle_;
};

//! Bytes of the UTF-8 character that starts at `text`: its lead byte and the continuation
//! bytes after it that the lead byte announces, so that a malformed sequence never swallows
//! the next character.
std::size_t Utf8CharacterLength(const char* text, std::size_t available) {
  const auto lead = static_cast<unsigned char>(text[0]);
  const std::size_t announced = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
  std::size_t length = 1;
  while (length < announced && length < available &&
         (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) {
    ++length;
  }
  return length;
}

std::size_t OneByte(const char*, std::size_t) {
  return 1;
}

//! Input handed to iconv in one call. Each call costs time in proportion to the input it is
//! offered (a checked build inspects all of it), so a text with many unconvertible bytes must
//! not offer the whole rest of the text at each of them.
constexpr std::size_t kConversionWindow = 4096;
//! Most output bytes a character of either encoding takes.
constexpr std::size_t kMaxCharacterBytes = 4;

//! Converts `input` window by window: where iconv meets a sequence it cannot convert, the
//! `replacement` is written and conversion goes on after the bytes `skip` gives. Linear in the
//! length of the input, however many sequences are replaced.
std::string Convert(const char* to, const char* from, std::string_view input,
                    std::string_view replacement, std::size_t (*skip)(const char*, std::size_t)) {
  // Both encodings hold ASCII unchanged; most text (every table row) needs no converter.
  if (IsAscii(input)) return std::string(input);
  const IconvHandle converter(to, from);
  std::string out;
  out.reserve(input.size() + 16);
  char* in = const_cast<char*>(input.data());  // iconv does not write through it
  std::size_t inLeft = input.size();
  char window[kConversionWindow * kMaxCharacterBytes];

  while (inLeft > 0) {
    const std::size_t offered = std::min(inLeft, kConversionWindow);
    std::size_t offeredLeft = offered;
    char* outPtr = window;
    std::size_t outLeft = sizeof window;
    const std::size_t result = iconv(converter.get(), &in, &offeredLeft, &outPtr, &outLeft);
    const int error = errno;
    out.append(window, static_cast<std::size_t>(outPtr - window));
    inLeft -= offered - offeredLeft;
    if (result != static_cast<std::size_t>(-1)) continue;

    // EINVAL: a sequence cut off. At the window's edge the next window holds its rest; at the
    // end of the input it is unconvertible. EILSEQ: a sequence without a counterpart.
    const bool cutAtWindowEdge = error == EINVAL && offeredLeft < inLeft;
    if (error == E2BIG || cutAtWindowEdge) continue;
    if (error != EILSEQ && error != EINVAL) {
      throw std::system_error(error, std::generic_category(),
                              std::string("Cannot convert text from ") + from + " to " + to);
    }
    out += replacement;
    const std::size_t skipped = skip(in, inLeft);
    in += skipped;
    inLeft -= skipped;
  }
  return out;
}

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

}  // namespace

std::string EncodeCodePage932(std::string_view utf8) {
  return Convert(kCodePage932, kUtf8, utf8, kMissingInCodePage, &Utf8CharacterLength);
}

std::string DecodeCodePage932(std::string_view bytes) {
  return Convert(kUtf8, kCodePage932, bytes, kReplacementCharacter, &OneByte);
}

bool IsUtf8(std::string_view bytes) {
  if (IsAscii(bytes)) return true;
  // glibc's converter from UTF-8 refuses what is not well-formed (overlong forms, surrogates,
  // a sequence cut off) with EILSEQ or EINVAL; the text converted is thrown away.
  const IconvHandle converter(kUtf8, kUtf8);
  char* in = const_cast<char*>(bytes.data());  // iconv does not write through it
  std::size_t inLeft = bytes.size();
  char window[kConversionWindow * kMaxCharacterBytes];
  while (inLeft > 0) {
    char* outPtr = window;
    std::size_t outLeft = sizeof window;
    if (iconv(converter.get(), &in, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1)) {
      return true;
    }
    if (errno != E2BIG) return false;
  }
  return true;
}

std::string DecodeUtf8OrCodePage932(std::string_view bytes) {
  if (bytes.starts_with(kUtf8ByteOrderMark)) bytes.remove_prefix(kUtf8ByteOrderMark.size());
  if (IsUtf8(bytes)) return std::string(bytes);
  return DecodeCodePage932(bytes);
}

std::string_view Utf16Encoding(std::string_view bytes) {
  if (bytes.starts_with("\xFF\xFE")) return "UTF-16 (little-endian)";
  if (bytes.starts_with("\xFE\xFF")) return "UTF-16 (big-endian)";
  return {};
}

}  // namespace quillmere
