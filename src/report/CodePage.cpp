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

//! Converts `input` piece by piece: where iconv meets a sequence it cannot convert, the
//! `replacement` is written and conversion goes on after the bytes `skip` gives.
std::string Convert(const char* to, const char* from, std::string_view input,
                    std::string_view replacement, std::size_t (*skip)(const char*, std::size_t)) {
  // Both encodings hold ASCII unchanged; most text (every table row) needs no converter.
  if (std::all_of(input.begin(), input.end(),
                  [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
    return std::string(input);
  }
  const IconvHandle converter(to, from);
  std::string out(input.size() + 16, '\0');
  std::size_t used = 0;
  char* in = const_cast<char*>(input.data());  // iconv does not write through it
  std::size_t inLeft = input.size();

  while (inLeft > 0) {
    char* outPtr = out.data() + used;
    std::size_t outLeft = out.size() - used;
    const std::size_t result = iconv(converter.get(), &in, &inLeft, &outPtr, &outLeft);
    used = static_cast<std::size_t>(outPtr - out.data());
    if (result != static_cast<std::size_t>(-1)) break;

    const int error = errno;
    if (error == E2BIG) {
      out.resize(out.size() * 2);
    } else if (error == EILSEQ || error == EINVAL) {
      // EILSEQ: a sequence without a counterpart; EINVAL: a sequence cut off at the end.
      if (out.size() - used < replacement.size()) out.resize(out.size() * 2 + replacement.size());
      std::memcpy(out.data() + used, replacement.data(), replacement.size());
      used += replacement.size();
      const std::size_t skipped = skip(in, inLeft);
      in += skipped;
      inLeft -= skipped;
    } else {
      throw std::system_error(error, std::generic_category(),
                              std::string("Cannot convert text from ") + from + " to " + to);
    }
  }
  out.resize(used);
  return out;
}

}  // namespace

std::string EncodeCodePage932(std::string_view utf8) {
  return Convert(kCodePage932, kUtf8, utf8, kMissingInCodePage, &Utf8CharacterLength);
}

std::string DecodeCodePage932(std::string_view bytes) {
  return Convert(kUtf8, kCodePage932, bytes, kReplacementCharacter, &OneByte);
}

}  // namespace quillmere
