// The fit's --free and --bounds texts on any bytes: the first line is a --free list, each
// further line a --bounds "NAME=LO:HI". A text is refused with a FitParameterError, or every
// free parameter is a fitting parameter named once, with bounds that are finite numbers and
// never cross.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/fit/FitParameters.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Names and bounds of a command line: a misspelt name is compared with every input's name,
  // which for kilobytes of text takes the fuzzer's time.
  if (size == 0 || size > 256) return 0;
  // The first byte picks the decimal separator of the bounds.
  const char separator = data[0] % 2 == 0 ? '.' : ',';
  std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
  std::vector<std::string> lines;
  while (!text.empty() && lines.size() < 5) {
    const std::size_t end = text.find('\n');
    lines.emplace_back(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  }
  if (lines.empty()) return 0;
  try {
    std::vector<quillmere::FreeParameter> free = quillmere::ParseFreeParameters({lines[0]});
    quillmere::ApplyBounds(free, std::vector<std::string>(lines.begin() + 1, lines.end()),
                           separator);
    std::set<const quillmere::FieldSpec*> seen;
    for (const quillmere::FreeParameter& p : free) {
      if (p.Field == nullptr || !seen.insert(p.Field).second) std::abort();
      if (p.Lower && !std::isfinite(p.Lower->Value)) std::abort();
      if (p.Upper && !std::isfinite(p.Upper->Value)) std::abort();
      if (p.Lower && p.Upper && p.Lower->Value > p.Upper->Value) std::abort();
    }
  } catch (const quillmere::FitParameterError&) {
  }
  return 0;
}
