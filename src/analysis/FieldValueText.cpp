#include "analysis/FieldValueText.h"

#include "report/CsvText.h"

namespace quillmere {

std::string FieldValueText(double value, char decimalSeparator) {
  std::string text = CsvNumber(value);
  for (char& c : text) {
    if (c == '.') c = decimalSeparator;
  }
  return text;
}

}  // namespace quillmere
