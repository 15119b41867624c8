#include "cli/StreamMessages.h"

#include "params/PrintableText.h"

namespace quillmere {

void StreamMessages::Line(std::string_view text) {
  err_ << PrintableText(text) << '\n' << std::flush;
}

}  // namespace quillmere
