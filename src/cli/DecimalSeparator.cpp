#include "cli/DecimalSeparator.h"

#include <clocale>
#include <string_view>

#include "base/NumberText.h"

namespace quillmere {

char UserDecimalSeparator() {
  const char* current = std::setlocale(LC_NUMERIC, nullptr);
  const std::string previous = current != nullptr ? current : "C";
  std::setlocale(LC_NUMERIC, "");
  const char separator = LocaleDecimalSeparator();
  std::setlocale(LC_NUMERIC, previous.c_str());
  return separator;
}

std::string CheckSeparator(const std::string& text) {
  if (text.size() != 1) return "the decimal separator must be a single character";
  const unsigned char c = static_cast<unsigned char>(text[0]);
  const std::string_view refused = "0123456789+-eE";
  if (c <= 0x20 || c >= 0x7F || refused.find(static_cast<char>(c)) != std::string_view::npos) {
    return "the decimal separator cannot be '" + text + "'";
  }
  return {};
}

CLI::Option* AddDecimalSeparatorOption(CLI::App& app, std::string& text, const std::string& texts) {
  return app
      .add_option("--decimal-separator", text,
                  "Decimal separator of the number texts in " + texts +
                      " (default: that of the numeric locale)")
      ->type_name("CHAR")
      ->check(CLI::Validator(CheckSeparator, ""));
}

}  // namespace quillmere
